// The free terminal window offscreen: the port borrowed at 19200 and given back, keys
// sent as their bytes, the screen kept between openings and readable by assistive
// technology.

#include <QAccessible>

#include "tools/gui/TFfreeTerminal.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;

TEST_F(MainWindow, FreeTerminalBorrowsThePortAndGivesItBack) {
    TFTerminal& w = start();
    w.setSystemSpeed(115200);
    tools::TFfreeTerminal* t = w.freeTerminalWindow();
    ASSERT_TRUE(t);
    uint32_t during = 0;
    QByteArray sent;
    t->freeTerminal->setSender([&](const QByteArray& b) { sent += b; });
    QTimer::singleShot(0, [&] {
        during = w.Comm().baud();
        t->freeTerminal->terminalReceived("ok\r\x1b[1;31mred");
        QTest::keyClick(t->freeTerminal, Qt::Key_A);
        QTest::keyClick(t->freeTerminal, Qt::Key_Up);
        QTest::keyClick(t->freeTerminal, Qt::Key_End);  // swallowed
        QTest::keyClick(t->freeTerminal, Qt::Key_Backspace);
        t->close();
    });
    t->openOnPort();
    EXPECT_EQ(during, 19200u);
    EXPECT_EQ(w.Comm().baud(), 115200u);
    EXPECT_EQ(sent, QByteArray("a\x1b[A\x08"));
    // Nothing typed is drawn (echo off); the screen stays for the next opening.
    EXPECT_EQ(t->freeTerminal->screenText().section('\n', 0, 1), "ok\nred");
    EXPECT_EQ(t->freeTerminal->screen().cell(0, 1).fg, 9);  // bright red
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(t->freeTerminal);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->text(QAccessible::Name), "Экран терминала");
    EXPECT_TRUE(a->text(QAccessible::Value).startsWith("ok\nred"));
}
