#pragma once
// What a page or tool window asks of the main window it sits in, and the seams the
// window calls back through. The main window implements it; tests put stand-ins in.

#include <QEvent>
#include <cstdint>
#include <functional>

#include "workbench/Pages.h"

class QWidget;

namespace velmora {
class ModuleTab;
}
namespace velmora::gui {
class StatusPanels;
}

namespace velmora::workbench {

// Window messages between the tool windows, the system and the main window.
inline constexpr QEvent::Type kMsgBrowserClosed = static_cast<QEvent::Type>(QEvent::User + 1124);
inline constexpr QEvent::Type kMsgTesterClosed = static_cast<QEvent::Type>(QEvent::User + 1125);
inline constexpr QEvent::Type kMsgDeviceChange = static_cast<QEvent::Type>(QEvent::User + 537);

// What the System page's subsystem does when the window asks (the scan and the
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

class WindowServices {
public:
    virtual ~WindowServices() = default;
    // The main window: the parent of dialogs and message boxes, and what a finished
    // scan closes when closing was asked for during it.
    virtual QWidget* mainWindow() = 0;
    // Runs `action` now, or as soon as no transaction waits for its reply: a modal
    // window opened inside that wait would hold the transaction until it closed.
    virtual void afterReplyWait(std::function<void()> action) = 0;
    virtual gui::StatusPanels& statusPanels() = 0;
    // Panels 0 and 1 from the current module.
    virtual void showCurrentAddress() = 0;
    // A Module tab's handler; asking for it builds the Module page.
    virtual ModuleTab& moduleTab(int tab) = 0;
    // Timer1: the Module page shown and read a moment after a selection.
    virtual void startTimer1() = 0;
    virtual void postWindowMessage(QEvent::Type type) = 0;
    // The port at a node's own speed (a node added by hand), and back to the system
    // speed the menu marks (after a module's initialisation).
    virtual void setPortSpeed(uint32_t bps) = 0;
    virtual void restoreSystemSpeed() = 0;
    // None given, the window's inert defaults act.
    virtual void setSystemActions(SystemPageActions* actions) = 0;
    virtual void setToolActions(ToolWindowActions* actions) = 0;
};

}  // namespace velmora::workbench
