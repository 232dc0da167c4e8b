#pragma once

#include <memory>
#include <string>

// The windows of the X display that the tests run on, seen as any X client
// sees them (apart, since Xlib's macros clash with the test framework's).
class XDisplayWindows {
public:
    // Connects to $DISPLAY; available() is false without one.
    XDisplayWindows();
    ~XDisplayWindows();
    XDisplayWindows(const XDisplayWindows&) = delete;
    XDisplayWindows& operator=(const XDisplayWindows&) = delete;

    bool available() const;
    // Whether a window titled `title` of process `pid` is mapped and
    // viewable. Other tests show windows of the same title on the display.
    bool shown(const std::string& title, long pid);

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};
