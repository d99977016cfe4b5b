// GoogleTest entry for tests that need a Qt application object.

#include <gtest/gtest.h>

#include <QApplication>

#include "common/gui/QtTranslations.h"

namespace {
// The offscreen platform says so for every window; it tells nothing about the tests.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("propagateSizeHints") || message.contains("XDG_RUNTIME_DIR")) return;
    qt_message_output(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietHandler);
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // The program's own dialogs and Qt's speak Russian together, as in the program.
    velmora::gui::loadQtTranslations(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
