// The look-out for the identifier writer runs before the window is made, so on a busy
// desktop its cost is added to every start. This fills a private X server with clients
// framed as a reparenting window manager frames them (each with a few child windows and
// both a UTF-8 and a compound-text name, as toolkits set them for Cyrillic titles), then
// times the look-out through the program's own connection, as the program makes it.

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ForeignWindow.h"
#include "bench/PrivateXServer.h"
// After Qt: Xlib defines macros (None, Bool) that Qt's headers also use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

const std::string kWriterTitle = "Запись идентификатора в модуль";

void nameWindow(Display* x, Window w, const std::string& title) {
    XChangeProperty(x, w, XInternAtom(x, "_NET_WM_NAME", False), XInternAtom(x, "UTF8_STRING", False), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    char* text = const_cast<char*>(title.c_str());
    XTextProperty prop{};
    Xutf8TextListToTextProperty(x, &text, 1, XCompoundTextStyle, &prop);
    XSetWMName(x, w, &prop);
    XFree(prop.value);
}

// `count` more framed clients, each with three children.
void addClients(Display* x, int count, int& made) {
    for (int i = 0; i < count; ++i, ++made) {
        Window frame = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 100, 100, 0, 0, 0);
        Window client = XCreateSimpleWindow(x, frame, 0, 0, 100, 100, 0, 0, 0);
        nameWindow(x, client, "Документ " + std::to_string(made) + " — редактор");
        for (int k = 0; k < 3; ++k) XCreateSimpleWindow(x, client, 0, 0, 10, 10, 0, 0, 0);
        XMapWindow(x, client);
        XMapWindow(x, frame);
    }
    XSync(x, False);
}

double medianLookupMs(int rounds) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        const auto seen = velmora::app::findTopLevelWindowFromApplication(kWriterTitle);
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (seen != velmora::app::WindowLookup::NotFound) return -1;
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    velmora::bench::PrivateXServer server;
    if (!server.start()) {
        std::puts("Xvfb is not installed or did not start: nothing measured.");
        return 0;
    }
    qputenv("DISPLAY", server.display.toUtf8());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    Display* x = XOpenDisplay(server.display.toUtf8().constData());
    if (!x) return 1;
    std::printf("Look-out for the identifier writer on Xvfb %s, medians of 9:\n",
                server.display.toUtf8().constData());
    int made = 0;
    for (int total : {0, 50, 150, 400}) {
        addClients(x, total - made, made);
        const double ms = medianLookupMs(9);
        if (ms < 0) {
            std::puts("  the look-out found a writer that is not there");
            return 1;
        }
        std::printf("  %3d framed clients (%4d windows): %7.2f ms\n", total, total * 5, ms);
    }
    XCloseDisplay(x);
    return 0;
}
