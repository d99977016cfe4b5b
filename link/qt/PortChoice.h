#pragma once
// Which serial device the program uses.
//
// The settings keep a 1-based port number, as on the modules' home platform: number N
// means the machine's N-th built-in serial port, /dev/ttyS(N-1) ("COM1" is /dev/ttyS0).
// Any other device (USB, ACM, a pseudo-terminal, a stable by-id link) is kept as its
// path; a path, when present, wins over the number.

#include <QString>
#include <QStringList>

namespace velmora::link {

struct PortChoice {
    int number = 2;
    QString path;
};

QString devicePath(const PortChoice& choice);
// "COM3" for /dev/ttyS2, else the device path itself.
QString portDisplayName(const QString& devicePath);
// The choice for a device picked at `listIndex` (0-based) of a port list: a built-in
// port keeps its own number, any other device its path and its place in the list.
PortChoice choiceForDevice(const QString& devicePath, int listIndex);
// A number ("3") or a path ("/dev/ttyUSB0"), as typed on a command line.
PortChoice parsePortArgument(const QString& text);
// The serial devices present, sorted: built-in, USB and ACM ports alike.
QStringList presentPorts();

}  // namespace velmora::link
