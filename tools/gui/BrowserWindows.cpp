#include "tools/gui/BrowserWindows.h"

#include "common/gui/ToolWindowPlace.h"

namespace velmora::tools {

BrowserWindows::BrowserWindows(app::TFTerminal& window) : window_(window) {
    app::MainMenus& m = window.menus();
    connect(m.Browser1, &QAction::triggered, this, &BrowserWindows::Browser1Click);
    // A modal window must not open inside a reply wait: it would hold the wait up.
    connect(m.mmBrowser, &QAction::triggered, this,
            [this] { window_.afterReplyWait([this] { mmBrowserClick(); }); });
    m.Browser1->setEnabled(true);
    m.mmBrowser->setEnabled(true);
    window.setToolActions(this);
}

BrowserWindows::~BrowserWindows() {
    window_.setToolActions(nullptr);
    delete browser_;
    delete editor_;
}

void BrowserWindows::Browser1Click() {
    if (browser_) return;
    editor_ = new TFEditBrow(&window_);
    browser_ = new TFBrowser(window_.engine(), *editor_, &window_);
    browser_->onClosed = [this] { window_.postWindowMessage(app::kMsgBrowserClosed); };
    window_.menus().Browser1->setEnabled(false);
    gui::placeToolWindow(browser_, &window_);
    browser_->show();
}

void BrowserWindows::mmBrowserClick() {
    window_.menus().Browser1->setEnabled(false);
    TFBrowser1 watch(window_.engine(), watchList_, &window_);
    gui::placeToolWindow(&watch, &window_);
    watch.exec();
    // Nothing else would give the popup entry back once the watch list has closed,
    // unless the variable browser is open (its own closing does that).
    if (!browser_) window_.menus().Browser1->setEnabled(true);
}

void BrowserWindows::browserClosed() {
    if (browser_) browser_->deleteLater();
    if (editor_) editor_->deleteLater();
    browser_ = nullptr;
    editor_ = nullptr;
    window_.menus().Browser1->setEnabled(true);
}

}  // namespace velmora::tools
