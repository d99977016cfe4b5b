// The yardstick for the start-up benchmark: a plain Qt main window of the same size,
// with a menu bar, a status bar and a text in the middle, and nothing behind it.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

#include "common/gui/FirstPaintMark.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Plain window");
    window.menuBar()->addMenu("Файл")->addAction("Выход", &window, &QWidget::close);
    window.menuBar()->addMenu("Настройки");
    window.setCentralWidget(new QLabel("Plain window", &window));
    window.statusBar()->showMessage("Ready");
    window.resize(500, 570);
    velmora::gui::markFirstPaint(&window);
    window.show();
    return QApplication::exec();
}
