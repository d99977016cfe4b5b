#pragma once
// For tests that drive the program through the X server as a person does: where a
// control is on the screen, what has the focus, what a field holds and which windows
// are up, so a test clicks and types at the right places without fixed pixels. It
// listens only when VELMORA_PROBE names a socket path; otherwise nothing is made.
//
// One request a line, one answer a line ("none" when there is no such thing shown,
// "?" for a request it does not know; a widget without a name is "-"):
//   where NAME           global x y w h of the shown widget, or menu entry, of that name
//   tab NAME INDEX       global x y w h of a tab of a QTabWidget or QTabBar
//   item NAME ROW COL    global x y w h of a table cell, a list row, or a tree row
//                        (counted as the tree shows them, from the top); of a text
//                        box, the first line of its ROW-th paragraph (COL unused)
//   text NAME            a field's, label's, button's or combo box's text; an item
//                        view's current item; a status bar's panels joined by " | ";
//                        of a hidden widget too when none of that name shows
//   text NAME ROW COL    an item's text (rows as for item)
//   current NAME         ROW COL of an item view's current item (rows as for item)
//   state NAME           shown|hidden enabled|disabled checked|unchecked, of a widget
//                        or an action
//   focus                NAME CLASS of the focus widget
//   windows              NAME CLASS WINID TITLE of each shown top-level window, tab-separated
//   active               NAME CLASS WINID of the active window

#include <QObject>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::gui {

struct ProbeRequest {
    enum Verb { Where, Tab, Item, Text, Current, State, Focus, Windows, Active };
    Verb verb = Where;
    std::string name;
    int row = -1;  // INDEX of tab, ROW of item and text
    int column = -1;
};

// A request line read; nothing when the verb is unknown or its words do not fit it.
std::optional<ProbeRequest> parseProbeRequest(std::string_view line);

// The answer from the application's widgets as they are now (without the newline).
QString probeAnswer(const ProbeRequest& request);

class TestProbe : public QObject {
public:
    // Listens on $VELMORA_PROBE when it is set; nothing otherwise.
    static void startFromEnvironment(QObject* parent);

private:
    explicit TestProbe(QObject* parent) : QObject(parent) {}
    void listen(const QString& path);
};

}  // namespace velmora::gui
