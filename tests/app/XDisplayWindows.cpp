#include "XDisplayWindows.h"

#include <X11/Xatom.h>
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

// The process that made `window`, as its _NET_WM_PID property says; -1
// without one.
long processOf(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None) {
        return -1;
    }
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &after, &data) == Success &&
        data != nullptr) {
        if (type == XA_CARDINAL && format == 32 && items == 1) {
            pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        }
        XFree(data);
    }
    return pid;
}

bool shownBelow(Display* display, Window parent, const std::string& title, long pid) {
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
                    attributes.map_state == IsViewable && processOf(display, children[i]) == pid;
            XFree(name);
        }
        found = found || shownBelow(display, children[i], title, pid);
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

bool XDisplayWindows::shown(const std::string& title, long pid) {
    Display* display = connection_->display;
    return display != nullptr && shownBelow(display, DefaultRootWindow(display), title, pid);
}
