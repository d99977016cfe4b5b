#include "tools/gui/BrowserWindows.h"

#include <QAction>

#include "common/gui/ToolWindowPlace.h"

namespace velmora::tools {

BrowserWindows::BrowserWindows(workbench::Workbench& bench, BrowserMenus m)
    : bench_(bench), window_(bench.window()), menus_(m) {
    connect(m.Browser1, &QAction::triggered, this, &BrowserWindows::Browser1Click);
    // A modal window must not open inside a reply wait: it would hold the wait up.
    connect(m.mmBrowser, &QAction::triggered, this,
            [this] { window_.afterReplyWait([this] { mmBrowserClick(); }); });
    m.Browser1->setEnabled(true);
    m.mmBrowser->setEnabled(true);
    window_.setToolActions(this);
}

BrowserWindows::~BrowserWindows() {
    window_.setToolActions(nullptr);
    delete browser_;
    delete editor_;
}

void BrowserWindows::Browser1Click() {
    if (browser_) return;
    editor_ = new TFEditBrow(bench_.symbols, window_.mainWindow());
    browser_ = new TFBrowser(bench_.engine(), *editor_, window_.mainWindow());
    browser_->onClosed = [this] { window_.postWindowMessage(workbench::kMsgBrowserClosed); };
    menus_.Browser1->setEnabled(false);
    gui::placeToolWindow(browser_, window_.mainWindow());
    browser_->show();
}

void BrowserWindows::mmBrowserClick() {
    menus_.Browser1->setEnabled(false);
    TFBrowser1 watch(bench_.engine(), bench_.session().clock(), watchList_, bench_.symbols,
                     window_.mainWindow());
    gui::placeToolWindow(&watch, window_.mainWindow());
    watch.exec();
    // Nothing else would give the popup entry back once the watch list has closed,
    // unless the variable browser is open (its own closing does that).
    if (!browser_) menus_.Browser1->setEnabled(true);
}

void BrowserWindows::browserClosed() {
    if (browser_) browser_->deleteLater();
    if (editor_) editor_->deleteLater();
    browser_ = nullptr;
    editor_ = nullptr;
    menus_.Browser1->setEnabled(true);
}

}  // namespace velmora::tools
