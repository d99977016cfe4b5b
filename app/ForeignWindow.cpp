#include "app/ForeignWindow.h"

#include <QGuiApplication>

#ifdef VELMORA_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>
#include <vector>
#endif

namespace velmora::app {

#ifdef VELMORA_HAVE_X11
namespace {

// Reparenting window managers put a client two levels below the root; its own child
// windows are the third.
constexpr int kDeepestLevel = 3;
// Longer names cannot be the writer's title (in any encoding).
constexpr uint32_t kNameLongs = 1024;

struct NameValue {
    xcb_atom_t type = XCB_ATOM_NONE;
    uint8_t format = 0;
    std::string bytes;
    bool whole = false;
};

std::optional<NameValue> takeName(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, &error);
    std::free(error);  // a window that vanished meanwhile: no name
    if (!reply) return std::nullopt;
    NameValue v;
    v.type = reply->type;
    v.format = reply->format;
    v.bytes.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                   static_cast<size_t>(xcb_get_property_value_length(reply)));
    v.whole = reply->bytes_after == 0;
    std::free(reply);
    return v;
}

std::string latin1ToUtf8(const std::string& text) {
    std::string out;
    for (unsigned char ch : text) {
        if (ch < 0x80) {
            out += static_cast<char>(ch);
        } else {
            out += static_cast<char>(0xC0 | (ch >> 6));
            out += static_cast<char>(0x80 | (ch & 0x3F));
        }
    }
    return out;
}

// Legacy names in encodings only Xlib reads (compound text, as toolkits still write a
// Cyrillic title): converted on the client, with no request to the server. The
// application's own display when there is one; otherwise one opened when first needed.
class LegacyText {
public:
    explicit LegacyText(Display* shared) : shared_(shared) {}
    ~LegacyText() {
        if (own_) XCloseDisplay(own_);
    }
    LegacyText(const LegacyText&) = delete;
    LegacyText& operator=(const LegacyText&) = delete;

    bool equals(const NameValue& name, const std::string& title) {
        Display* d = display();
        if (!d) return false;
        XTextProperty prop{};
        prop.value = reinterpret_cast<unsigned char*>(const_cast<char*>(name.bytes.data()));
        prop.encoding = name.type;
        prop.format = 8;
        prop.nitems = name.bytes.size();
        char** list = nullptr;
        int n = 0;
        bool match = false;
        if (Xutf8TextPropertyToTextList(d, &prop, &list, &n) >= Success && list) {
            for (int i = 0; i < n && !match; ++i) match = title == list[i];
            XFreeStringList(list);
        }
        return match;
    }

private:
    Display* display() {
        if (shared_) return shared_;
        if (!triedOwn_) {
            triedOwn_ = true;
            own_ = XOpenDisplay(nullptr);
        }
        return own_;
    }

    Display* shared_ = nullptr;
    Display* own_ = nullptr;
    bool triedOwn_ = false;
};

struct NameAtoms {
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t utf8 = XCB_ATOM_NONE;
};

NameAtoms internNameAtoms(xcb_connection_t* c) {
    const auto netWmName = xcb_intern_atom(c, 0, 12, "_NET_WM_NAME");
    const auto utf8 = xcb_intern_atom(c, 0, 11, "UTF8_STRING");
    NameAtoms atoms;
    xcb_generic_error_t* error = nullptr;
    if (auto* r = xcb_intern_atom_reply(c, netWmName, &error)) {
        atoms.netWmName = r->atom;
        std::free(r);
    }
    std::free(error);
    error = nullptr;
    if (auto* r = xcb_intern_atom_reply(c, utf8, &error)) {
        atoms.utf8 = r->atom;
        std::free(r);
    }
    std::free(error);
    return atoms;
}

bool utf8NameIs(const std::optional<NameValue>& name, const NameAtoms& atoms, const std::string& title) {
    return name && name->whole && name->type == atoms.utf8 && name->format == 8 && name->bytes == title;
}

// A text property holds a list of strings, each ended by a NUL but the last; some
// programs end the last one too. Any string of the list may be the title, as Xlib's own
// reading of the property finds it.
template <typename Convert>
bool anyStringOfTheListIs(const std::string& bytes, const std::string& title, Convert convert) {
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        if (convert(bytes.substr(start, end - start)) == title) return true;
        start = end + 1;
    }
    return false;
}

bool legacyNameIs(const std::optional<NameValue>& name, const NameAtoms& atoms, const std::string& title,
                  LegacyText& legacy) {
    if (!name || !name->whole || name->format != 8 || name->type == XCB_ATOM_NONE) return false;
    if (name->type == XCB_ATOM_STRING) return anyStringOfTheListIs(name->bytes, title, latin1ToUtf8);
    if (name->type == atoms.utf8)
        return anyStringOfTheListIs(name->bytes, title, [](const std::string& s) { return s; });
    return legacy.equals(*name, title);
}

// The window tree is read a level at a time: every request of a level is sent before the
// first answer is awaited. A request per window and a wait for each answer, as the
// plain walk makes them, cost a round trip each; on a desktop with a hundred windows
// open that came to more than a tenth of a second before the window could show.
bool anyWindowNamed(xcb_connection_t* c, xcb_window_t root, const std::string& title, LegacyText& legacy) {
    const NameAtoms atoms = internNameAtoms(c);
    struct Asked {
        xcb_get_property_cookie_t utf8Name;
        xcb_get_property_cookie_t legacyName;
        xcb_query_tree_cookie_t children;
    };
    std::vector<xcb_window_t> level{root};
    for (int depth = 0; !level.empty(); ++depth) {
        const bool descend = depth < kDeepestLevel;
        std::vector<Asked> asked;
        asked.reserve(level.size());
        for (xcb_window_t w : level) {
            Asked a{};
            a.utf8Name = xcb_get_property(c, 0, w, atoms.netWmName, atoms.utf8, 0, kNameLongs);
            a.legacyName = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, kNameLongs);
            if (descend) a.children = xcb_query_tree(c, w);
            asked.push_back(a);
        }
        std::vector<xcb_window_t> next;
        bool found = false;
        for (const Asked& a : asked) {
            if (found) {  // the rest is not needed, but its answers must not pile up
                xcb_discard_reply(c, a.utf8Name.sequence);
                xcb_discard_reply(c, a.legacyName.sequence);
                if (descend) xcb_discard_reply(c, a.children.sequence);
                continue;
            }
            const auto utf8Name = takeName(c, a.utf8Name);
            const auto legacyName = takeName(c, a.legacyName);
            found = utf8NameIs(utf8Name, atoms, title) || legacyNameIs(legacyName, atoms, title, legacy);
            if (!descend) continue;
            if (found) {
                xcb_discard_reply(c, a.children.sequence);
                continue;
            }
            xcb_generic_error_t* error = nullptr;
            if (auto* tree = xcb_query_tree_reply(c, a.children, &error)) {
                const xcb_window_t* kids = xcb_query_tree_children(tree);
                next.insert(next.end(), kids, kids + xcb_query_tree_children_length(tree));
                std::free(tree);
            }
            std::free(error);
        }
        if (found) return true;
        level.swap(next);
    }
    return false;
}

}  // namespace

WindowLookup findTopLevelWindow(const std::string& title) {
    int screen = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return WindowLookup::Unavailable;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && it.rem; ++i) xcb_screen_next(&it);
    bool found = false;
    if (it.rem) {
        LegacyText legacy(nullptr);
        found = anyWindowNamed(c, it.data->root, title, legacy);
    }
    xcb_disconnect(c);
    return found ? WindowLookup::Found : WindowLookup::NotFound;
}

WindowLookup findTopLevelWindowFromApplication(const std::string& title) {
    // The application's own connection when it has one: no second connection to pay for,
    // and none whose closing could make an otherwise idle X server reset itself just as
    // the window appears.
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        Display* d = x11->display();
        xcb_connection_t* c = x11->connection();
        if (d && c) {
            LegacyText legacy(d);
            return anyWindowNamed(c, static_cast<xcb_window_t>(DefaultRootWindow(d)), title, legacy)
                       ? WindowLookup::Found
                       : WindowLookup::NotFound;
        }
    }
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
