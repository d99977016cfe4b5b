// The main window offscreen: the status bar and the window messages.

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include "app/TFAboutBox.h"
#include "app/TFHelp.h"
#include "app/TFselectComm.h"
#include "app/uVelmora.h"
#include "common/Cp1251.h"
#include "link/OperationKind.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;

namespace {
// Counts pixels near a colour in one part of a widget's picture.
int pixelsNear(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) <
                90)
                ++n;
        }
    return n;
}
}  // namespace

TEST_F(MainWindow, WindowMessagesReachTheirHandlers) {
    TFTerminal& w = start();
    int browsers = 0, testers = 0;
    seams.onBrowserClosed = [&] { ++browsers; };
    seams.onTesterClosed = [&] { ++testers; };
    w.postWindowMessage(kMsgBrowserClosed);
    w.postWindowMessage(kMsgTesterClosed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browsers == 1 && testers == 1; }, 2000));
}

TEST_F(MainWindow, CurrentAddressPanels) {
    TFTerminal& w = start();
    w.module().CurrentCID = 0x1A;
    w.module().CurrentSlaveAdr = 0x22;
    w.showCurrentAddress();
    EXPECT_EQ(panel(0), "Адр Modbus: 1A");
    EXPECT_EQ(panel(1), "Адр i2c: 22");
    w.module().CurrentSlaveAdr = 0;
    w.showCurrentAddress();
    EXPECT_EQ(panel(1), "");
}

TEST(StatusPanelsDrawing, AddressesInBlueAndRedExceptDuringAScan) {
    gui::StatusPanels bar;
    bar.resize(560, 22);
    bar.setPanelText(0, "Адр Modbus: 01");
    bar.setPanelText(1, "Адр i2c: 10");
    QImage picture = bar.grab().toImage();
    const QRect text0(0, 0, 88, 22), text1(120, 0, 88, 22);
    EXPECT_GT(pixelsNear(picture, text0, Qt::blue), 0);
    EXPECT_GT(pixelsNear(picture, text1, Qt::red), 0);
    bar.setScanRunning(true);
    picture = bar.grab().toImage();
    EXPECT_EQ(pixelsNear(picture, text0, Qt::blue), 0);
    EXPECT_EQ(pixelsNear(picture, text1, Qt::red), 0);
    // the module mark shows only with an i2c address
    bar.setScanRunning(false);
    bar.setPanelText(1, "");
    picture = bar.grab().toImage();
    EXPECT_EQ(pixelsNear(picture, QRect(210, 0, 16, 22), QColor(255, 120, 120)), 0);
    EXPECT_GT(pixelsNear(picture, QRect(90, 0, 16, 22), QColor(120, 150, 255)), 0);
}
