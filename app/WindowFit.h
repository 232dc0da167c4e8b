#pragma once

class QWidget;

// Fitting the main window to the screen it opens on.
namespace WindowFit {

// Gives the window the whole available area of its screen, then asks for it
// to be maximized: a window system that maximizes changes nothing, and
// without one (or with one that ignores the request) the window still lies
// wholly on the screen.
void fillScreen(QWidget& window);

} // namespace WindowFit
