#include "link/qt/PortChoice.h"

#include <QSerialPortInfo>

namespace velmora::link {

namespace {
const QString kBuiltIn = QStringLiteral("/dev/ttyS");
}

QString devicePath(const PortChoice& choice) {
    if (!choice.path.isEmpty()) return choice.path;
    return kBuiltIn + QString::number(choice.number > 0 ? choice.number - 1 : 0);
}

QString portDisplayName(const QString& path) {
    if (path.startsWith(kBuiltIn)) {
        bool ok = false;
        int index = path.mid(kBuiltIn.size()).toInt(&ok);
        if (ok) return QStringLiteral("COM%1").arg(index + 1);
    }
    return path;
}

PortChoice choiceForDevice(const QString& path, int listIndex) {
    if (path.startsWith(kBuiltIn)) {
        bool ok = false;
        int index = path.mid(kBuiltIn.size()).toInt(&ok);
        if (ok) return PortChoice{index + 1, QString()};
    }
    return PortChoice{listIndex + 1, path};
}

PortChoice parsePortArgument(const QString& text) {
    PortChoice choice;
    bool ok = false;
    int number = text.toInt(&ok);
    if (ok && number > 0) {
        choice.number = number;
    } else {
        choice.path = text;
    }
    return choice;
}

QStringList presentPorts() {
    QStringList out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        out << info.systemLocation();
    out.sort();
    return out;
}

}  // namespace velmora::link
