#pragma once
// The main window's side of the two variable browsers: `Browser1` opens the variable
// browser beside the window, `mmBrowser` the watch list modally, and message 1124
// destroys the variable browser and its editor again.

#include <QObject>
#include <QPointer>

#include "app/uVelmora.h"
#include "tools/WatchList.h"
#include "tools/gui/TFBrowser.h"
#include "tools/gui/TFBrowser1.h"
#include "tools/gui/TFEditBrow.h"

namespace velmora::tools {

class BrowserWindows : public QObject, public app::ToolWindowActions {
    Q_OBJECT
public:
    explicit BrowserWindows(app::TFTerminal& window);
    ~BrowserWindows() override;

    void Browser1Click();
    void mmBrowserClick();
    void browserClosed() override;  // myClosFrm

    TFBrowser* browser() const { return browser_; }
    WatchList& watchList() { return watchList_; }

private:
    app::TFTerminal& window_;
    QPointer<TFEditBrow> editor_;
    QPointer<TFBrowser> browser_;
    WatchList watchList_;  // kept for the whole run, across openings
};

}  // namespace velmora::tools
