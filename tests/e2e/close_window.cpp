// Asks the top-level window with the given title to close, as a window manager's close box does:
// a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. Prints the window's id; exits 1 when no such
// window exists.
#include <X11/Xlib.h>
#include <X11/Xatom.h>

#include <cstdio>
#include <cstring>

namespace {

// The title as stored, whatever its encoding: _NET_WM_NAME, else WM_NAME. XFetchName alone would miss
// a WM_NAME stored as UTF8_STRING, as message boxes write it.
bool hasTitle(Display* display, Window window, Atom property, const char* title) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 256, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success) {
        return false;
    }
    const bool match = data != nullptr && format == 8 && count == std::strlen(title) &&
                       std::memcmp(data, title, count) == 0;
    if (data != nullptr) XFree(data);
    return match;
}

bool titled(Display* display, Window window, const char* title) {
    return hasTitle(display, window, XInternAtom(display, "_NET_WM_NAME", False), title) ||
           hasTitle(display, window, XA_WM_NAME, title);
}

Window findWindow(Display* display, Window parent, const char* title) {
    if (titled(display, parent, title)) return parent;
    Window root = 0, ignored = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &ignored, &children, &count) == 0) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) found = findWindow(display, children[i], title);
    if (children != nullptr) XFree(children);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    // --find only reports whether the window exists, so a caller can look at the program while it waits.
    const bool findOnly = argc == 3 && std::strcmp(argv[1], "--find") == 0;
    if (argc != 2 && !findOnly) {
        std::fprintf(stderr, "usage: %s [--find] TITLE\n", argv[0]);
        return 2;
    }
    const char* title = argv[argc - 1];
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    const Window window = findWindow(display, DefaultRootWindow(display), title);
    if (window == 0 || findOnly) {
        XCloseDisplay(display);
        return window == 0 ? 1 : 0;
    }
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    std::printf("%lu\n", static_cast<unsigned long>(window));
    return 0;
}
