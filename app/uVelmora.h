#pragma once
// TFTerminal, the main window: owner of the serial port, the link, the current module
// and every page. It wires menus, pages, keys and timers to the logic beneath; the
// behaviour itself lives in the subsystems.

#include <QEvent>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/AppSettings.h"
#include "app/MainMenus.h"
#include "app/MainPages.h"
#include "common/gui/ImageList.h"
#include "app/PageNavigation.h"
#include "app/PageRules.h"
#include "app/PortControls.h"
#include "app/WindowDialogs.h"
#include "common/gui/StatusPanels.h"
#include "common/gui/ModuleTab.h"
#include "console/gui/TerminalConsole.h"
#include "system/NodeRange.h"
#include "link/qt/LinkSession.h"
#include "link/qt/PortFacts.h"
#include "system/gui/IdentTab.h"
#include "system/gui/TFEditParMod.h"
#include "views/ViewAddresses.h"
#include "workbench/Workbench.h"
#include "workbench/gui/WindowServices.h"

namespace velmora::firmware {
class FirmwareActions;
class RunPanel;
}  // namespace velmora::firmware
namespace velmora::app {

using workbench::kMsgBrowserClosed;
using workbench::kMsgDeviceChange;
using workbench::kMsgTesterClosed;
using workbench::SystemPageActions;
using workbench::ToolWindowActions;

struct TerminalOptions {
    QString settingsPath;                          // empty: the program's own path with ".ini"
    std::optional<link::PortChoice> portOverride;  // this run only; the saved choice stays
    int portCheckMs = 1000;                        // tmScanComm
    int hardwarePollMs = 1000;                     // how often the serial devices are listed
    int timer1Ms = 300;                            // Timer1, and the pause before the page change
    int closingGraceMs = 500;
    QString helpFile;                              // empty: looked up on each F1
    // The devices the port dialog lists; empty: the machine's own.
    std::function<QList<link::PortFacts>()> portFacts;
};

class TFTerminal : public QMainWindow, public link::StatusPanel, public workbench::WindowServices {
    Q_OBJECT
public:
    explicit TFTerminal(TerminalOptions options = {}, QWidget* parent = nullptr);
    ~TFTerminal() override;

    // What the pages and tool windows share: the link, the current module, the scan's
    // flags, the views' addresses.
    workbench::Workbench& workbench() { return bench_; }
    link::LinkSession& session() { return link_; }
    link::TransactionEngine& engine() { return link_.engine(); }
    link::LinkState& linkState() { return link_.state(); }
    link::TnrComm& Comm() { return link_.comm(); }
    system::CurrentModule& module() { return bench_.module; }
    system::ScanState& scan() { return bench_.scan; }
    views::ViewAddresses& addresses() { return bench_.addresses; }
    // The nodes a bus scan asks ("Диапазон сканирования...", kept in the settings).
    const system::NodeRange& scanRange() const { return bench_.scanRange; }
    void setScanRange(system::NodeRange range) { bench_.scanRange = range; }

    // Status bar.
    void showStatus(const std::string& text) override;  // panel 2

    // Port and speed.
    PortControls& port() { return *port_; }
    void setSystemSpeed(uint32_t bps) { port_->setSystemSpeed(bps); }
    void refreshSpeedMenu() { port_->refreshSpeedMenu(); }
    uint32_t systemSpeed() const { return port_->systemSpeed(); }
    void mmNomCommClick() { port_->mmNomCommClick(); }
    int portIcon() const { return port_->portIcon(); }
    TFselectComm* selectComm() { return port_->selectComm(); }
    QTimer& scanCommTimer() { return link_.portCheckTimer(); }
    // "Диапазон сканирования...": the dialog, modal; the range changes on "Применить".
    void mmScanRangeClick();

    // Pages.
    PageNavigation& navigation() { return *nav_; }
    void pcMonChange() { nav_->pcMonChange(); }
    void showMainPageQuietly(int page) { nav_->showMainPageQuietly(page); }
    void showModuleTabQuietly(int tab) { nav_->showModuleTabQuietly(tab); }
    QTimer& timer1() { return nav_->timer1(); }
    QTimer& tmUpDate() { return nav_->tmUpDate(); }
    void setModuleTab(int tab, ModuleTab* handler) { nav_->setModuleTab(tab, handler); }
    firmware::FirmwareActions& firmwareActions() { return *firmware_; }
    tools::TFTestKom* testerWindow() { return dialogs_->tester(); }
    // The identifier tab the window is made with (building the Module page).
    system::IdentTab& identTab() {
        ensureModulePage();
        return *identTab_;
    }
    MainMenus& menus() { return menus_; }
    console::TerminalConsole& terminalConsole() {
        ensureTerminalPage();
        return *console_;
    }
    // Every page's widgets; the Module and Terminal pages are built first if they were
    // not yet.
    MainPages& pages() {
        ensureModulePage();
        ensureTerminalPage();
        return pages_;
    }
    // The System page's widgets alone, and the page control, which never wait for the
    // Module page.
    system::SystemPageWidgets& systemWidgets() { return pages_; }
    QTabWidget* pageControl() { return pages_.pcChan; }

    // The Module page is built on its first visit, or when something first needs its
    // widgets or tab handlers; `hook` runs once it is there (at once if it already is).
    void ensureModulePage();
    bool modulePageBuilt() const { return pages_.pcMon != nullptr; }
    void whenModulePageBuilt(std::function<void()> hook);
    // The Terminal page likewise, on its first visit or when its widgets are first needed.
    void ensureTerminalPage();
    bool terminalPageBuilt() const { return pages_.reProt != nullptr; }

    // The dialogs, each made when first wanted and then kept.
    WindowDialogs& dialogs() { return *dialogs_; }
    tools::TFfreeTerminal* freeTerminalWindow() { return dialogs_->freeTerminal(); }
    system::TFEditParMod* editParMod() { return dialogs_->editParMod(); }
    system::TFHandSetConfig* handSetConfig() { return dialogs_->handSetConfig(); }
    views::TFShowVar* showVar() { return dialogs_->showVar(); }
    const QString& hexDir() const { return hexDir_; }
    void setHexLoadingAvailable(bool available) { nav_->setHexLoadingAvailable(available); }

    // WindowServices
    QWidget* mainWindow() override { return this; }
    void afterReplyWait(std::function<void()> action) override { link_.whenFree(std::move(action)); }
    gui::StatusPanels& statusPanels() override { return *sb1_; }
    void showCurrentAddress() override;
    // A tab's handler; asking for it builds the Module page, so what it does reaches the
    // page's widgets.
    ModuleTab& moduleTab(int tab) override {
        ensureModulePage();
        return nav_->moduleTab(tab);
    }
    void startTimer1() override { nav_->timer1().start(); }
    void postWindowMessage(QEvent::Type type) override;
    void setPortSpeed(uint32_t bps) override;
    void restoreSystemSpeed() override;
    void setSystemActions(SystemPageActions* actions) override { nav_->setSystemActions(actions); }
    void setToolActions(ToolWindowActions* actions) override;

signals:
    void activated();  // after each activation has been handled

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void setVisible(bool visible) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildIdentTab();
    void bindModulePage();
    void applyFlashBottomChoice();
    void connectMenus();
    void FormActivate();
    void queueActivation();
    void firstActivation();
    // The grids' headers from the pages the view addresses stand on (the page built,
    // the first activation).
    void labelGridsFromAddresses();
    // The grids' headers from the pages they show (every later activation).
    void relabelShownGrids();
    bool FormCloseQuery();
    void FormClose();
    void writeSettingsFile();
    void buildFirmwareActions();

    TerminalOptions options_;
    QString settingsPath_;
    link::LinkSession link_;
    workbench::Workbench bench_{link_, *this};
    MainMenus menus_;
    MainPages pages_;
    std::vector<std::function<void()>> moduleHooks_;
    gui::StatusPanels* sb1_ = nullptr;
    PortControls* port_ = nullptr;
    PageNavigation* nav_ = nullptr;
    firmware::FirmwareActions* firmware_ = nullptr;
    std::unique_ptr<firmware::RunPanel> runPanel_;
    WindowDialogs* dialogs_ = nullptr;
    std::unique_ptr<console::TerminalConsole> console_;
    std::unique_ptr<system::IdentTab> identTab_;
    ToolWindowActions inertTools_;
    ToolWindowActions* toolActions_ = &inertTools_;
    int Tag = 0;  // 0 until the first activation
    bool activationQueued_ = false;
    QString hexDir_;
};

}  // namespace velmora::app
