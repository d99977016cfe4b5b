// velmora: the desktop program.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstdio>

#include "BuildInfo.h"
#include "app/ForeignWindow.h"
#include "common/gui/FirstPaintMark.h"
#include "common/gui/QtTranslations.h"
#include "common/gui/TestProbe.h"
#include "app/uVelmora.h"
#include "app/MemoryTabs.h"
#include "app/Subsystems.h"
#include "app/SymbolFileMenu.h"

int main(int argc, char** argv) {
    using namespace velmora;
    QApplication application(argc, argv);
    // The identifier writer and this program must not share the line. Asked before any
    // window of ours exists, so nothing shows when the answer is to leave.
    if (app::findTopLevelWindowFromApplication("Запись идентификатора в модуль") == app::WindowLookup::Found)
        return 0;
    gui::loadQtTranslations(application);
    QApplication::setApplicationName("Velmora_V2_02");
    QApplication::setApplicationVersion(build::kVersionText);
    // The installed desktop entry's id: desktops that match windows to entries by it
    // show the entry's name and icon.
    QGuiApplication::setDesktopFileName("velmora");
    // The small sizes a title bar and a task bar draw, compiled in; each is read only
    // when first drawn.
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QString(":/velmora/%1x%1/velmora.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    QCommandLineParser parser;
    parser.setApplicationDescription(build::kDescription);
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption port("port",
                            "Serial port for this run: a number (N is /dev/ttyS(N-1)) "
                            "or a device path. The saved choice stays.",
                            "PATH_OR_NUMBER");
    QCommandLineOption settings("settings", "Settings file to use instead of velmora.ini.", "FILE");
    parser.addOption(port);
    parser.addOption(settings);
    parser.process(application);

    app::TerminalOptions options;
    if (parser.isSet(port)) options.portOverride = link::parsePortArgument(parser.value(port));
    if (parser.isSet(settings)) options.settingsPath = parser.value(settings);
    app::TFTerminal window(options);
    app::installMemoryTabs(window);
    app::installSymbolFileMenu(window);
    const auto systemPage = app::makeSystemPage(window);
    const auto browsers = app::makeBrowserWindows(window);
    gui::markFirstPaint(&window);
    gui::TestProbe::startFromEnvironment(&application);
    window.show();
    return QApplication::exec();
}
