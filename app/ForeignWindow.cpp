#include "app/ForeignWindow.h"

#include <QGuiApplication>

#ifdef VELMORA_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace velmora::app {

#ifdef VELMORA_HAVE_X11
namespace {

bool utf8NameIs(Display* d, Window w, Atom netWmName, Atom utf8, const std::string& title) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(d, w, netWmName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        match = type == utf8 && format == 8 &&
                std::string(reinterpret_cast<char*>(data), count) == title;
        XFree(data);
    }
    return match;
}

bool legacyNameIs(Display* d, Window w, const std::string& title) {
    XTextProperty prop{};
    if (!XGetWMName(d, w, &prop) || !prop.value) return false;
    bool match = false;
    char** list = nullptr;
    int n = 0;
    if (Xutf8TextPropertyToTextList(d, &prop, &list, &n) >= Success && list) {
        for (int i = 0; i < n && !match; ++i) match = title == list[i];
        XFreeStringList(list);
    }
    XFree(prop.value);
    return match;
}

bool walk(Display* d, Window w, int depth, Atom netWmName, Atom utf8, const std::string& title) {
    if (utf8NameIs(d, w, netWmName, utf8, title) || legacyNameIs(d, w, title)) return true;
    // Reparenting window managers put a client two levels below the root.
    if (depth >= 3) return false;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return false;
    bool found = false;
    for (unsigned int i = 0; i < n && !found; ++i)
        found = walk(d, children[i], depth + 1, netWmName, utf8, title);
    if (children) XFree(children);
    return found;
}

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

// On a display already open: the caller's connection stays as it was.
WindowLookup lookOn(Display* d, const std::string& title) {
    // Windows may vanish while we walk; their errors mean nothing here.
    auto previous = XSetErrorHandler(ignoreErrors);
    Atom netWmName = XInternAtom(d, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    bool found = walk(d, DefaultRootWindow(d), 0, netWmName, utf8, title);
    XSync(d, False);
    XSetErrorHandler(previous);
    return found ? WindowLookup::Found : WindowLookup::NotFound;
}

WindowLookup findTopLevelWindow(const std::string& title) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return WindowLookup::Unavailable;
    const WindowLookup result = lookOn(d, title);
    XCloseDisplay(d);
    return result;
}

WindowLookup findTopLevelWindowFromApplication(const std::string& title) {
    // The application's own connection when it has one: no second connection to pay for,
    // and none whose closing could make an otherwise idle X server reset itself just as
    // the window appears.
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        if (Display* d = x11->display()) return lookOn(d, title);
    return findTopLevelWindow(title);
}
#else
WindowLookup findTopLevelWindow(const std::string&) {
    return WindowLookup::Unavailable;
}

WindowLookup findTopLevelWindowFromApplication(const std::string&) {
    return WindowLookup::Unavailable;
}
#endif

}  // namespace velmora::app
