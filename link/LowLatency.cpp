#include "link/LowLatency.h"

#include <sys/ioctl.h>

namespace velmora::link {

namespace {
class SystemIo : public SerialSettingsIo {
public:
    bool read(int fd, serial_struct& s) override { return ::ioctl(fd, TIOCGSERIAL, &s) == 0; }
    bool write(int fd, const serial_struct& s) override {
        return ::ioctl(fd, TIOCSSERIAL, &s) == 0;
    }
};
}  // namespace

SerialSettingsIo& systemSerialSettings() {
    static SystemIo io;
    return io;
}

LowLatency askLowLatency(int fd, SerialSettingsIo& io) {
    serial_struct s{};
    if (fd < 0 || !io.read(fd, s)) return {};
    if (s.flags & ASYNC_LOW_LATENCY) return {true, false};
    s.flags |= ASYNC_LOW_LATENCY;
    if (!io.write(fd, s)) return {};
    return {true, true};
}

void putBackLatency(int fd, const LowLatency& state, SerialSettingsIo& io) {
    if (!state.askedByUs || fd < 0) return;
    serial_struct s{};
    if (!io.read(fd, s)) return;
    s.flags &= ~ASYNC_LOW_LATENCY;
    io.write(fd, s);
}

}  // namespace velmora::link
