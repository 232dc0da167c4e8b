#pragma once

#include <QImage>

class vtkRenderWindow;

// The 3D view as an image at the size of its render window, rendered anew
// and read back through VTK (not a grab of the screen, so windows in front
// of the view are not in it).
namespace ViewImage {

QImage render(vtkRenderWindow& window);

} // namespace ViewImage
