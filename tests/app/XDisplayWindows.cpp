#include "XDisplayWindows.h"

#include <X11/Xlib.h>

namespace {

// Windows come and go while the tree is walked: a window gone meanwhile is
// no error here.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

struct XDisplayWindows::Connection {
    Display* display = (XSetErrorHandler(ignoreErrors), XOpenDisplay(nullptr));
    ~Connection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
};

namespace {

bool shownBelow(Display* display, Window parent, const std::string& title) {
    Window root = 0;
    Window itsParent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &itsParent, &children, &count) == 0) {
        return false;
    }
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            XWindowAttributes attributes{};
            found = title == name && XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                    attributes.map_state == IsViewable;
            XFree(name);
        }
        found = found || shownBelow(display, children[i], title);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

} // namespace

XDisplayWindows::XDisplayWindows() : connection_(std::make_unique<Connection>()) {}

XDisplayWindows::~XDisplayWindows() = default;

bool XDisplayWindows::available() const {
    return connection_->display != nullptr;
}

bool XDisplayWindows::shown(const std::string& title) {
    Display* display = connection_->display;
    return display != nullptr && shownBelow(display, DefaultRootWindow(display), title);
}
