#pragma once

// Presses and releases Shift on an X window through the X server, as a
// user's key arrives, from a display connection of its own (usable from any
// one thread). Kept apart because Xlib's macros clash with Qt's names.
class XKeyPresser {
public:
    explicit XKeyPresser(unsigned long window);
    ~XKeyPresser();
    XKeyPresser(const XKeyPresser&) = delete;
    XKeyPresser& operator=(const XKeyPresser&) = delete;

    bool connected() const { return display_ != nullptr; }
    void pressShift();

private:
    void* display_;
    unsigned long window_;
};
