#include "link/qt/PortFacts.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>

#include "link/qt/PortChoice.h"

namespace velmora::link {

QMap<QString, QString> byIdLinks(const QString& byIdDir) {
    QMap<QString, QString> out;
    const QDir dir(byIdDir);
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!link.isSymLink()) continue;
        const QString target = link.canonicalFilePath();
        if (target.isEmpty()) continue;  // dangling: the adapter is gone
        out.insert(target, link.absoluteFilePath());
    }
    return out;
}

QList<PortFacts> presentPortFacts(const QString& byIdDir) {
    const QMap<QString, QString> links = byIdLinks(byIdDir);
    QList<PortFacts> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortFacts f;
        f.path = info.systemLocation();
        f.description = info.description().trimmed();
        f.manufacturer = info.manufacturer().trimmed();
        f.serialNumber = info.serialNumber().trimmed();
        if (info.hasVendorIdentifier()) f.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) f.productId = info.productIdentifier();
        const QString canonical = QFileInfo(f.path).canonicalFilePath();
        f.byIdLink = links.value(canonical.isEmpty() ? f.path : canonical);
        out << f;
    }
    std::sort(out.begin(), out.end(), [](const PortFacts& a, const PortFacts& b) { return a.path < b.path; });
    return out;
}

QString portListEntry(const PortFacts& f) {
    QStringList known;
    if (!f.description.isEmpty()) known << f.description;
    // Drivers often repeat the maker inside the description.
    if (!f.manufacturer.isEmpty() && !f.description.contains(f.manufacturer, Qt::CaseInsensitive))
        known << f.manufacturer;
    if (!f.serialNumber.isEmpty()) known << "s/n " + f.serialNumber;
    const QString name = portDisplayName(f.path);
    return known.isEmpty() ? name : name + QStringLiteral(" — ") + known.join(", ");
}

QString portDetails(const PortFacts& f) {
    QStringList lines;
    auto add = [&](const char* label, const QString& value) {
        if (!value.isEmpty()) lines << QString::fromUtf8(label) + ": " + value;
    };
    add("Устройство", f.path);
    add("Описание", f.description);
    add("Производитель", f.manufacturer);
    add("Серийный номер", f.serialNumber);
    if (f.vendorId >= 0 && f.productId >= 0)
        add("VID:PID", QStringLiteral("%1:%2").arg(f.vendorId, 4, 16, QChar('0')).arg(f.productId, 4, 16, QChar('0')));
    add("Постоянное имя", f.byIdLink);
    return lines.isEmpty() ? QStringLiteral("Нет сведений об устройстве") : lines.join('\n');
}

}  // namespace velmora::link
