#pragma once
// The program's link in one object: the port, the buffers and flags, the clock, the
// event wait, the transaction engine, the notice of device changes and the port check
// that reopens a lost port. The window, the command-line program and the tests all use
// it, so they agree on what a lost device means:
//   - a port that cannot be opened marks the link lost (PortLost): every transaction
//     fails at once with 254 until an open succeeds;
//   - a device that vanishes while open closes the port, marks the link lost and
//     starts the port check, which tries to open the port again every second.
// The user-interface side (icon, messages, dialog) listens to the signals.

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "link/LinkState.h"
#include "link/StatusReport.h"
#include "link/TransactionEngine.h"
#include "link/qt/HardwareWatch.h"
#include "link/qt/QtEventPump.h"
#include "link/qt/TnrComm.h"

namespace velmora::link {

class LinkSession : public QObject {
    Q_OBJECT
public:
    explicit LinkSession(QObject* parent = nullptr);
    ~LinkSession() override;

    LinkState& state() { return state_; }
    TnrComm& comm() { return comm_; }
    TransactionEngine& engine() { return engine_; }
    Clock& clock() { return clock_; }

    // Opens the port; on failure the link is marked lost and openFailed is raised.
    bool openPort();
    // Switches the port (reopening it when it was open) and watches the new device.
    void setChoice(const PortChoice& choice);

    // Device changes: noticed by the hardware watch from `start` on.
    void startWatching(int fallbackPollMs = 1000);
    void stopWatching();

    // A device change: closes the port and starts the port check.
    void handleDeviceChange();
    // The port check (`tmScanComm`): started by a device change or a loss, it ticks every
    // `intervalMs` until an open succeeds.
    void setPortCheckInterval(int intervalMs) { portCheck_.setInterval(intervalMs); }
    QTimer& portCheckTimer() { return portCheck_; }
    // One tick of the port check; returns whether the port is open afterwards.
    bool checkPort();
    // Ends every timer and watch (closing the program).
    void shutDown();

    // Every transaction's result on `panel` (status panel 2) from now on; none: nowhere.
    void reportTo(StatusPanel* panel);

    // Runs `action` now if the link is free; otherwise once it becomes free, from the
    // event loop, never inside an engine wait. A modal window opened inside that wait
    // would hold the transaction until it closed.
    void whenFree(std::function<void()> action);

signals:
    void portOpened();
    void openFailed(const QString& reason);
    void deviceLost();
    void hardwareChanged();  // a serial device came or went
    void portCheckFailed();
    void portReopened();  // the port check opened the port

private:
    void onReceived(const QByteArray& bytes);
    void onDeviceLost();
    void runWhenFree();

    LinkState state_;
    TnrComm comm_;
    QtClock clock_;
    QtEventPump pump_{clock_};
    TransactionEngine engine_{state_, comm_, clock_, pump_};
    HardwareWatch hardware_;
    QTimer portCheck_;
    std::unique_ptr<StatusReport> report_;
    std::vector<std::function<void()>> waitingForFree_;
    bool runQueued_ = false;
};

}  // namespace velmora::link
