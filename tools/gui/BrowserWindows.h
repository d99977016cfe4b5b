#pragma once
// The main window's side of the two variable browsers: `Browser1` opens the variable
// browser beside the window, `mmBrowser` the watch list modally, and message 1124
// destroys the variable browser and its editor again.

#include <QObject>
#include <QPointer>

#include "workbench/Workbench.h"
#include "workbench/gui/WindowServices.h"
#include "tools/WatchList.h"
#include "tools/gui/TFBrowser.h"
#include "tools/gui/TFBrowser1.h"
#include "tools/gui/TFEditBrow.h"

namespace velmora::tools {

// The window's entries that open them: the popup's "Окно просмотра" and the menu's
// watch list.
struct BrowserMenus {
    QAction* Browser1 = nullptr;
    QAction* mmBrowser = nullptr;
};

class BrowserWindows : public QObject, public workbench::ToolWindowActions {
    Q_OBJECT
public:
    BrowserWindows(workbench::Workbench& bench, BrowserMenus menus);
    ~BrowserWindows() override;

    void Browser1Click();
    void mmBrowserClick();
    void browserClosed() override;  // myClosFrm

    TFBrowser* browser() const { return browser_; }
    WatchList& watchList() { return watchList_; }

private:
    workbench::Workbench& bench_;
    workbench::WindowServices& window_;
    BrowserMenus menus_;
    QPointer<TFEditBrow> editor_;
    QPointer<TFBrowser> browser_;
    WatchList watchList_;  // kept for the whole run, across openings
};

}  // namespace velmora::tools
