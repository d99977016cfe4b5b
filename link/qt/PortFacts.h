#pragma once
// What the system knows of each serial device, so that two adapters of the same make
// can be told apart in a list: the driver's description, the maker, the serial number
// and the stable link under /dev/serial/by-id, which names the adapter rather than the
// order it was plugged in.

#include <QList>
#include <QMap>
#include <QString>

namespace velmora::link {

struct PortFacts {
    QString path;  // /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString byIdLink;  // /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0
    int vendorId = -1;  // -1: not known
    int productId = -1;
};

// Device path (as found, and canonical) -> the by-id link naming it, for every link in
// `byIdDir`.
QMap<QString, QString> byIdLinks(const QString& byIdDir);

// The serial devices present with what the system knows of them, sorted by path.
QList<PortFacts> presentPortFacts(const QString& byIdDir = QStringLiteral("/dev/serial/by-id"));

// One line for a list: the port's name, then whatever is known of it.
//   "COM1"
//   "/dev/ttyUSB0 — FT232R USB UART, FTDI, s/n A12345"
QString portListEntry(const PortFacts& facts);

// Everything known, a fact a line, for a details panel.
QString portDetails(const PortFacts& facts);

}  // namespace velmora::link
