#include "XKeyPresser.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

XKeyPresser::XKeyPresser(unsigned long window) : display_(XOpenDisplay(nullptr)), window_(window) {}

XKeyPresser::~XKeyPresser() {
    if (display_ != nullptr) {
        XCloseDisplay(static_cast<Display*>(display_));
    }
}

void XKeyPresser::pressShift() {
    auto* display = static_cast<Display*>(display_);
    XKeyEvent key{};
    key.display = display;
    key.window = window_;
    key.root = DefaultRootWindow(display);
    key.keycode = XKeysymToKeycode(display, XK_Shift_L);
    key.same_screen = True;
    key.type = KeyPress;
    XSendEvent(display, window_, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
    key.type = KeyRelease;
    XSendEvent(display, window_, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&key));
    XFlush(display);
}
