#include "common/gui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace velmora::gui {

bool loadQtTranslations(QCoreApplication& application) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&application);
    // qtbase holds the widgets' texts; the serial port module has a few of its own.
    if (!translator->load("qtbase_ru", folder)) {
        delete translator;
        return false;
    }
    application.installTranslator(translator);
    auto* serial = new QTranslator(&application);
    if (serial->load("qtserialport_ru", folder))
        application.installTranslator(serial);
    else
        delete serial;
    return true;
}

}  // namespace velmora::gui
