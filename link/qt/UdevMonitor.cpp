#include "link/qt/UdevMonitor.h"

#if VELMORA_HAVE_UDEV

#include <libudev.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace velmora::link {

struct UdevMonitor::State {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;

    ~State() {
        notifier.reset();
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
    }
};

namespace {

// libudev hands out a monitor even with no daemon running, one that never hears
// anything; the daemon's control socket tells whether anyone will announce devices.
bool udevDaemonRunning() {
    return ::access("/run/udev/control", F_OK) == 0;
}

}  // namespace

UdevMonitor::UdevMonitor(QObject* parent) : QObject(parent) {
    if (!udevDaemonRunning()) return;
    auto s = std::make_unique<State>();
    s->context = udev_new();
    if (!s->context) return;
    // "udev", not "kernel": by the time udev announces a device its node exists.
    s->monitor = udev_monitor_new_from_netlink(s->context, "udev");
    if (!s->monitor) return;
    if (udev_monitor_filter_add_match_subsystem_devtype(s->monitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(s->monitor) < 0)
        return;
    const int fd = udev_monitor_get_fd(s->monitor);
    if (fd < 0) return;
    s->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(s->notifier.get(), &QSocketNotifier::activated, this, [this] {
        // Each pending device is taken off the socket, or the notifier fires forever.
        bool any = false;
        while (udev_device* d = udev_monitor_receive_device(state_->monitor)) {
            udev_device_unref(d);
            any = true;
        }
        if (any) emit deviceEvent();
    });
    state_ = std::move(s);
}

UdevMonitor::~UdevMonitor() = default;

bool UdevMonitor::available() const {
    return state_ != nullptr;
}

}  // namespace velmora::link

#else

namespace velmora::link {

struct UdevMonitor::State {};

UdevMonitor::UdevMonitor(QObject* parent) : QObject(parent) {}
UdevMonitor::~UdevMonitor() = default;

bool UdevMonitor::available() const {
    return false;
}

}  // namespace velmora::link

#endif
