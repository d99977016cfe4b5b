#pragma once
// TFTerminal, the main window: owner of the serial port, the link, the current module
// and every page. It wires menus, pages, keys and timers to the logic beneath; the
// behaviour itself lives in the subsystems.

#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/AppSettings.h"
#include "app/MainMenus.h"
#include "app/MainPages.h"
#include "common/gui/ImageList.h"
#include "app/PageRules.h"
#include "app/StatusPanels.h"
#include "common/gui/ModuleTab.h"
#include "console/gui/TerminalConsole.h"
#include "system/NodeRange.h"
#include "link/qt/LinkSession.h"
#include "link/qt/PortFacts.h"
#include "system/CurrentModule.h"
#include "system/ScanState.h"
#include "system/gui/IdentTab.h"
#include "system/gui/TFEditParMod.h"
#include "views/ViewAddresses.h"

namespace velmora::system {
class TFHandSetConfig;
}

namespace velmora::app {

class TFselectComm;
}  // namespace velmora::app

namespace velmora::tools {
class TFfreeTerminal;
class TFTestKom;
}  // namespace velmora::tools

namespace velmora::firmware {
class TFshiftFlash;
class TFClear_FL;
class FirmwareActions;
}  // namespace velmora::firmware

namespace velmora::app {

class TFHelp;
class TFAboutBox;
}  // namespace velmora::app
namespace velmora::views {
class TFShowVar;
}  // namespace velmora::views
namespace velmora::app {

// Window messages between the tool windows, the system and the main window.
inline constexpr QEvent::Type kMsgBrowserClosed = static_cast<QEvent::Type>(QEvent::User + 1124);
inline constexpr QEvent::Type kMsgTesterClosed = static_cast<QEvent::Type>(QEvent::User + 1125);
inline constexpr QEvent::Type kMsgDeviceChange = static_cast<QEvent::Type>(QEvent::User + 537);

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

// What the System page's subsystem does when the frame asks (the scan and the
// configuration loader). The defaults do nothing.
class SystemPageActions {
public:
    virtual ~SystemPageActions() = default;
    virtual void busScan() {}            // "Обновить" and the start-up scan
    virtual void loadConfiguration() {}  // start-up without "Автосканер"
    virtual void stopScan() {}           // Esc while the scan panel shows, "Стоп"
};

// The tool windows' closing messages (1124, 1125).
class ToolWindowActions {
public:
    virtual ~ToolWindowActions() = default;
    virtual void browserClosed() {}
    virtual void testerClosed() {}
};

class TFTerminal : public QMainWindow, public link::StatusPanel {
    Q_OBJECT
public:
    explicit TFTerminal(TerminalOptions options = {}, QWidget* parent = nullptr);
    ~TFTerminal() override;

    // The link (transactions, buffers and flags).
    link::LinkSession& session() { return link_; }
    link::TransactionEngine& engine() { return link_.engine(); }
    link::LinkState& linkState() { return link_.state(); }
    link::TnrComm& Comm() { return link_.comm(); }

    // Status bar.
    void showStatus(const std::string& text) override;  // panel 2
    void showCurrentAddress();
    StatusPanels* statusPanels() { return sb1_; }

    // Port and speed.
    void setSystemSpeed(uint32_t bps);
    void refreshSpeedMenu();
    uint32_t systemSpeed() const { return SystemSpeed; }
    void mmNomCommClick();
    void WMDeviceChange();
    int portIcon() const { return portIcon_; }
    QTimer& scanCommTimer() { return link_.portCheckTimer(); }

    // Pages.
    void pcChanChange();
    void pcMonChange();
    // The Module page change for a tab the user chose, run once the link is free.
    void readShownTabWhenFree();
    void showMainPageQuietly(int page);
    void showModuleTabQuietly(int tab);
    void startTimer1() { timer1_.start(); }
    QTimer& timer1() { return timer1_; }
    QTimer& tmUpDate() { return tmUpDate_; }

    // Runs `action` now, or as soon as no transaction waits for its reply: a modal
    // window opened inside that wait would hold the transaction until it closed.
    void afterReplyWait(std::function<void()> action);

    // Posts one of the window messages to this window.
    void postWindowMessage(QEvent::Type type);

    // The current module and the scan's flags, which the system subsystem drives.
    system::CurrentModule& module() { return module_; }
    system::ScanState& scan() { return scan_; }
    // The nodes a bus scan asks ("Диапазон сканирования...", kept in the settings).
    const system::NodeRange& scanRange() const { return scanRange_; }
    void setScanRange(system::NodeRange range) { scanRange_ = range; }
    // "Диапазон сканирования...": the dialog, modal; the range changes on "Применить".
    void mmScanRangeClick();
    // The seams the subsystems plug into; none given, the frame's inert defaults act.
    void setModuleTab(int tab, ModuleTab* handler);
    // A tab's handler; asking for it builds the Module page, so what it does reaches the
    // page's widgets.
    ModuleTab* moduleTab(int tab) {
        ensureModulePage();
        return tabs_[static_cast<size_t>(tab)];
    }
    void setSystemActions(SystemPageActions* actions);
    void setToolActions(ToolWindowActions* actions);
    firmware::FirmwareActions& firmwareActions() { return *firmware_; }
    tools::TFTestKom* testerWindow() { return tester_; }
    // The identifier tab the window is made with (building the Module page).
    system::IdentTab& identTab() {
        ensureModulePage();
        return *identTab_;
    }
    MainMenus& menus() { return menus_; }
    console::TerminalConsole& terminalConsole() { return *console_; }
    // Every page's widgets; the Module page is built first if it was not yet.
    MainPages& pages() {
        ensureModulePage();
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

    // The dialogs, each made when first wanted and then kept.
    tools::TFfreeTerminal* freeTerminalWindow();
    system::TFEditParMod* editParMod();
    system::TFHandSetConfig* handSetConfig();
    views::TFShowVar* showVar();
    TFselectComm* selectComm();
    const QString& settingsPath() const { return settingsPath_; }
    const QString& hexDir() const { return hexDir_; }
    // Whether the HEX loading items may be enabled at all (their subsystem is there).
    void setHexLoadingAvailable(bool available) { hexLoadingAvailable_ = available; }

    views::ViewAddresses addresses;

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
    int moduleTabIndex() const;
    void applyFlashBottomChoice();
    void connectMenus();
    void connectPort();
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
    void onMainTabChanged(int index);
    void onModuleTabChanged(int index);
    void Timer1Timer();
    void TmUpdateTimer();
    bool FormKeyDown(QKeyEvent* key);
    bool showHelp();
    void showAbout();
    void setHexItems(bool enabled);
    void buildFirmwareActions();
    void setPortIcon(int index);
    PageFlags pageFlags() const;

    TerminalOptions options_;
    QString settingsPath_;
    link::LinkSession link_;
    MainMenus menus_;
    MainPages pages_;
    std::vector<std::function<void()>> moduleHooks_;
    StatusPanels* sb1_ = nullptr;
    firmware::FirmwareActions* firmware_ = nullptr;
    TFselectComm* selectComm_ = nullptr;
    tools::TFfreeTerminal* freeTerminal_ = nullptr;
    // The command tester: made when opened, destroyed on its message 1125.
    void openTester();
    tools::TFTestKom* tester_ = nullptr;
    system::TFEditParMod* editParMod_ = nullptr;
    system::TFHandSetConfig* handSetConfig_ = nullptr;
    TFHelp* help_ = nullptr;
    TFAboutBox* about_ = nullptr;
    views::TFShowVar* showVar_ = nullptr;
    system::CurrentModule module_;
    system::ScanState scan_;
    std::unique_ptr<console::TerminalConsole> console_;
    system::NodeRange scanRange_;
    bool shownTabReadQueued_ = false;
    std::array<std::unique_ptr<InertModuleTab>, kModuleTabCount> inertTabs_;
    std::array<ModuleTab*, kModuleTabCount> tabs_{};
    std::unique_ptr<system::IdentTab> identTab_;
    SystemPageActions inertSystem_;
    ToolWindowActions inertTools_;
    SystemPageActions* systemActions_ = &inertSystem_;
    ToolWindowActions* toolActions_ = &inertTools_;

    QTimer timer1_;
    QTimer tmUpDate_;
    uint32_t SystemSpeed = 0;
    int Tag = 0;  // 0 until the first activation
    int previousPage_ = kSystemPage;
    int shownMainPage_ = kSystemPage;
    int shownModuleTab_ = kIdentTab;
    int portIcon_ = gui::kImgPortClosed;
    bool quietPageChange_ = false;
    bool activationQueued_ = false;
    bool hexLoadingAvailable_ = false;
    link::PortChoice savedPort_;
    QString hexDir_;
};

}  // namespace velmora::app
