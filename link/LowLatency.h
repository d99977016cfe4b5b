#pragma once
// The driver's low-latency mode of a serial device (Linux: TIOCSSERIAL with
// ASYNC_LOW_LATENCY). A USB serial adapter holds a short reply back until its latency
// timer runs out (16 ms on the most common chips), so a run of many short exchanges
// (an i2c module's programming) takes minutes instead of seconds. The mode is asked for
// when the port opens and put back as it was when it closes; a device that has no such
// setting or refuses it (a pseudo-terminal, a driver without it) is used as it is.

#include <linux/serial.h>

namespace velmora::link {

// The device's serial settings, read and written: the seam a test plays a driver at.
class SerialSettingsIo {
public:
    virtual ~SerialSettingsIo() = default;
    virtual bool read(int fd, serial_struct& s) = 0;   // TIOCGSERIAL
    virtual bool write(int fd, const serial_struct& s) = 0;  // TIOCSSERIAL
};

// The system's own ioctls.
SerialSettingsIo& systemSerialSettings();

struct LowLatency {
    bool on = false;         // the driver hands replies over at once
    bool askedByUs = false;  // it was off, and is to be put back off at the close
};

LowLatency askLowLatency(int fd, SerialSettingsIo& io);
// Puts the mode back as it was before `askLowLatency`; a refusal changes nothing.
void putBackLatency(int fd, const LowLatency& state, SerialSettingsIo& io);

}  // namespace velmora::link
