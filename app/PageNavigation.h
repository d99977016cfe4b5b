#pragma once
// Which page and Module tab the window shows, and what a change of them does: the page
// rules applied to the widgets, the Module tabs' handlers, the function keys, Timer1
// and the refresh timer `tmUpDate`.

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "app/MainMenus.h"
#include "app/MainPages.h"
#include "app/PageRules.h"
#include "common/gui/ModuleTab.h"
#include "workbench/Workbench.h"
#include "workbench/gui/WindowServices.h"

class QKeyEvent;

namespace velmora::app {

class PageNavigation : public QObject {
    Q_OBJECT
public:
    struct Frame {
        MainPages* pages = nullptr;
        MainMenus* menus = nullptr;
        workbench::Workbench* bench = nullptr;
        // Builds the Module page if it is not there yet.
        std::function<void()> ensureModulePage;
        // F1: shows the help; false when there is none.
        std::function<bool()> showHelp;
        int timer1Ms = 300;
    };
    explicit PageNavigation(Frame frame, QObject* parent = nullptr);

    bool modulePageBuilt() const { return pages_.pcMon != nullptr; }
    // The Module page is there: its tab control joins the navigation.
    void bindModulePage();
    int moduleTabIndex() const;

    void setModuleTab(int tab, ModuleTab* handler);
    // Sets the handler only where none was plugged in yet.
    void setDefaultModuleTab(int tab, ModuleTab* handler);
    // Until a subsystem plugs its own tab in, a tab only takes the focus.
    void setInertFocus(int tab, QWidget* focus);
    ModuleTab& moduleTab(int tab) { return *tabs_[static_cast<size_t>(tab)]; }
    void setSystemActions(workbench::SystemPageActions* actions);
    workbench::SystemPageActions& systemActions() { return *systemActions_; }
    // Whether the HEX loading items may be enabled at all (their subsystem is there).
    void setHexLoadingAvailable(bool available) { hexLoadingAvailable_ = available; }

    void pcChanChange();
    void pcMonChange();
    // The Module page change for a tab the user chose, run once the link is free.
    void readShownTabWhenFree();
    void showMainPageQuietly(int page);
    void showModuleTabQuietly(int tab);
    // The window's start: the System page, the Ident tab.
    void showStartPages();
    // A function key or Esc for the window; true when it was used.
    bool key(QKeyEvent* key);

    QTimer& timer1() { return timer1_; }
    QTimer& tmUpDate() { return tmUpDate_; }

private:
    PageFlags pageFlags() const;
    void onMainTabChanged(int index);
    void onModuleTabChanged(int index);
    void setHexItems(bool enabled);
    void Timer1Timer();
    void TmUpdateTimer();

    MainPages& pages_;
    MainMenus& menus_;
    workbench::Workbench& bench_;
    std::function<void()> ensureModulePage_;
    std::function<bool()> showHelp_;
    int timer1Ms_;
    QTimer timer1_;
    QTimer tmUpDate_;
    std::array<std::unique_ptr<InertModuleTab>, kModuleTabCount> inertTabs_;
    std::array<ModuleTab*, kModuleTabCount> tabs_{};
    workbench::SystemPageActions inertSystem_;
    workbench::SystemPageActions* systemActions_ = &inertSystem_;
    int previousPage_ = kSystemPage;
    int shownMainPage_ = kSystemPage;
    int shownModuleTab_ = kIdentTab;
    bool quietPageChange_ = false;
    bool shownTabReadQueued_ = false;
    bool hexLoadingAvailable_ = false;
};

}  // namespace velmora::app
