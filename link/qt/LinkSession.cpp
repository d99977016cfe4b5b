#include "link/qt/LinkSession.h"

namespace velmora::link {

LinkSession::LinkSession(QObject* parent) : QObject(parent) {
    connect(&comm_, &TnrComm::received, this, &LinkSession::onReceived);
    // Every failed open marks the link lost, also those the port dialog starts.
    connect(&comm_, &TnrComm::fatalError, this, [this](const QString& reason) {
        state_.PortLost = true;
        emit openFailed(reason);
    });
    // ...and every open that succeeds, whoever asked for it, ends the loss.
    connect(&comm_, &TnrComm::opened, this, [this] {
        state_.PortLost = false;
        engine_.lineChanged();
    });
    connect(&comm_, &TnrComm::deviceLost, this, &LinkSession::onDeviceLost);
    connect(&hardware_, &HardwareWatch::changed, this, &LinkSession::hardwareChanged);
    portCheck_.setInterval(1000);
    connect(&portCheck_, &QTimer::timeout, this, &LinkSession::checkPort);
    engine_.setFreeNotice([this] {
        if (!waitingForFree_.empty()) runWhenFree();
    });
}

LinkSession::~LinkSession() {
    engine_.setFreeNotice(nullptr);
    engine_.setWatch(nullptr);
}

void LinkSession::onReceived(const QByteArray& bytes) {
    engine_.commAfterReceive(reinterpret_cast<const uint8_t*>(bytes.constData()),
                             static_cast<size_t>(bytes.size()));
}

bool LinkSession::openPort() {
    if (!comm_.open()) return false;  // fatalError has marked the link lost
    emit portOpened();
    return true;
}

void LinkSession::setChoice(const PortChoice& choice) {
    comm_.setChoice(choice);
    hardware_.setWatchedPath(comm_.devicePath());
}

void LinkSession::startWatching(int fallbackPollMs) {
    hardware_.setWatchedPath(comm_.devicePath());
    hardware_.start(fallbackPollMs);
}

void LinkSession::stopWatching() {
    hardware_.stop();
}

void LinkSession::onDeviceLost() {
    // Nothing can be sent until the device is back: fail at once rather than time out,
    // and look for it again without waiting for a device-change notice, which a
    // hung-up line does not always bring.
    state_.PortLost = true;
    emit deviceLost();
    if (!portCheck_.isActive()) portCheck_.start();
}

void LinkSession::handleDeviceChange() {
    if (comm_.isOpen()) comm_.close();
    if (!portCheck_.isActive()) portCheck_.start();
}

bool LinkSession::checkPort() {
    state_.PortLost = false;
    if (!comm_.open()) {
        emit portCheckFailed();
        return false;
    }
    portCheck_.stop();
    emit portOpened();
    emit portReopened();
    return true;
}

void LinkSession::shutDown() {
    hardware_.stop();
    portCheck_.stop();
}

void LinkSession::reportTo(StatusPanel* panel) {
    engine_.setWatch(nullptr);
    report_.reset(panel ? new StatusReport(*panel) : nullptr);
    engine_.setWatch(report_.get());
}

void LinkSession::whenFree(std::function<void()> action) {
    if (engine_.isIdle() && waitingForFree_.empty()) {
        action();
        return;
    }
    waitingForFree_.push_back(std::move(action));
    if (engine_.isIdle()) runWhenFree();
}

void LinkSession::runWhenFree() {
    // The notice comes at the end of an operation, still inside its caller; the actions
    // run once control is back in the event loop.
    if (runQueued_) return;
    runQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            runQueued_ = false;
            while (!waitingForFree_.empty() && engine_.isIdle()) {
                auto action = std::move(waitingForFree_.front());
                waitingForFree_.erase(waitingForFree_.begin());
                action();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace velmora::link
