#pragma once
// The port's side of the window: the port dialog, the speed and flow menus, the port
// icon, and what panel 2 says as the adapter comes and goes.

#include <QList>
#include <QObject>
#include <functional>
#include <optional>

#include "app/AppSettings.h"
#include "app/MainMenus.h"
#include "common/gui/StatusPanels.h"
#include "link/qt/LinkSession.h"
#include "link/qt/PortFacts.h"

namespace velmora::app {

class TFselectComm;

class PortControls : public QObject {
    Q_OBJECT
public:
    struct Frame {
        link::LinkSession* link = nullptr;
        MainMenus* menus = nullptr;
        gui::StatusPanels* status = nullptr;
        QWidget* window = nullptr;  // the dialog's parent
        // Runs an action once no transaction waits for its reply.
        std::function<void(std::function<void()>)> afterReplyWait;
        std::optional<link::PortChoice> portOverride;  // this run only
        int hardwarePollMs = 1000;
        std::function<QList<link::PortFacts>()> portFacts;  // empty: the machine's own
    };
    explicit PortControls(Frame frame, QObject* parent = nullptr);

    // The settings' port, flow and speed taken over; the port opened, and the port
    // dialog shown when it cannot be. Returns whether the port is open.
    bool openAtStart(const AppSettings& s);
    // What the settings file keeps of the port.
    void store(AppSettings& s) const;

    void setSystemSpeed(uint32_t bps);
    uint32_t systemSpeed() const { return systemSpeed_; }
    // The speed marks after the port was set to a node's own speed.
    void refreshSpeedMenu();
    void mmNomCommClick();
    // Message 537: a serial device came or went.
    void WMDeviceChange();
    int portIcon() const { return portIcon_; }
    TFselectComm* selectComm();

private:
    void setPortIcon(int index);

    link::LinkSession& link_;
    MainMenus& menus_;
    gui::StatusPanels& status_;
    QWidget* window_;
    std::optional<link::PortChoice> portOverride_;
    int hardwarePollMs_;
    std::function<QList<link::PortFacts>()> portFacts_;
    TFselectComm* selectComm_ = nullptr;
    link::PortChoice savedPort_;
    uint32_t systemSpeed_ = 0;
    int portIcon_;
};

}  // namespace velmora::app
