#include "app/ViewImage.h"

#include <cstring>
#include <vtkImageData.h>
#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>
#include <vtkWindowToImageFilter.h>

namespace ViewImage {

QImage render(vtkRenderWindow& window) {
    auto filter = vtkSmartPointer<vtkWindowToImageFilter>::New();
    filter->SetInput(&window);
    filter->SetInputBufferTypeToRGB();
    filter->ReadFrontBufferOff();
    filter->ShouldRerenderOn();
    filter->Update();
    vtkImageData* image = filter->GetOutput();
    int dimensions[3] = {0, 0, 0};
    image->GetDimensions(dimensions);
    const int width = dimensions[0];
    const int height = dimensions[1];
    auto* pixels = static_cast<const unsigned char*>(image->GetScalarPointer());
    if (width <= 0 || height <= 0 || pixels == nullptr ||
        image->GetNumberOfScalarComponents() != 3) {
        return QImage();
    }
    QImage result(width, height, QImage::Format_RGB888);
    // VTK's rows run from the bottom up.
    const int rowBytes = width * 3;
    for (int y = 0; y < height; ++y) {
        std::memcpy(result.scanLine(y),
                    pixels + static_cast<std::size_t>(height - 1 - y) * rowBytes,
                    static_cast<std::size_t>(rowBytes));
    }
    return result;
}

} // namespace ViewImage
