#include "app/TFHelp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "app/HelpFileLookup.h"

#include "common/Cp1251.h"
#include "common/gui/Fonts.h"

namespace velmora::app {

TFHelp::TFHelp(QWidget* parent) : QDialog(parent) {
    setObjectName("TFHelp");
    setWindowTitle("Помощь");
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    list = new QListWidget(this);
    list->setFont(gui::namedFont("Courier New", 10, false));
    list->setStyleSheet("QListWidget { background: blue; color: white; }");
    v->addWidget(list);
    resize(640, 480);
}

void TFHelp::setLines(const QStringList& lines) {
    list->clear();
    list->addItems(lines);
}

QString locateHelpFile() {
    HelpPlaces places;
    places.programDir = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    places.currentDir = QFile::encodeName(QDir::currentPath()).toStdString();
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        places.dataDirs.push_back(QFile::encodeName(dir).toStdString());
    auto found = findHelpFile(places, [](const std::string& path) {
        return QFileInfo(QFile::decodeName(path.c_str())).isFile();
    });
    return found ? QDir::cleanPath(QFile::decodeName(found->c_str())) : QString();
}

std::optional<QStringList> readHelpFile(const QString& path) {
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    QString text = QString::fromStdString(cp1251ToUtf8(bytes.toStdString()));
    text.replace("\r\n", "\n");
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

}  // namespace velmora::app
