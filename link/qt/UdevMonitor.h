#pragma once
// Notice of serial devices (the "tty" subsystem) being added or removed, as announced
// by udev once it has made the device node, so a port listing taken on the notice
// already shows the device. Built without libudev, or where no udev daemon runs (as in
// most containers), it is never available and the caller watches otherwise.

#include <QObject>

#include <memory>

namespace velmora::link {

class UdevMonitor : public QObject {
    Q_OBJECT
public:
    explicit UdevMonitor(QObject* parent = nullptr);
    ~UdevMonitor() override;
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

    bool available() const;

signals:
    void deviceEvent();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace velmora::link
