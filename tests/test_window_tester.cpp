// The command tester window offscreen over the simulated network: opened from the Tools
// menu with the main window disabled, one step sent, the log appended on closing, and
// the window destroyed on its message.

#include <QListWidget>
#include <QRadioButton>

#include "tools/gui/TFTestKom.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;

TEST_F(MainWindow, TesterStepsLogsAndIsDestroyedOnClose) {
    TFTerminal& w = start();
    QTemporaryDir dir;
    QFile tst(dir.filePath("ident.tst"));
    ASSERT_TRUE(tst.open(QIODevice::WriteOnly));
    tst.write(" 01 78 \r\n");
    tst.close();
    QFile old(dir.filePath("Velmora_Test.log"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier\r\n");
    old.close();

    action("mmTester")->trigger();
    QCoreApplication::processEvents();
    tools::TFTestKom* t = w.testerWindow();
    ASSERT_TRUE(t);
    EXPECT_FALSE(w.isEnabled());
    t->setLogDirectory(dir.path());
    t->openFiles({tst.fileName()});
    auto* files = t->findChild<QListWidget*>("clbFileName");
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(files->item(0)->text(), "ident.tst");
    EXPECT_EQ(files->item(0)->checkState(), Qt::Checked);

    t->findChildren<QRadioButton*>().at(2)->click();  // step mode
    t->timGENtestTimer();
    ASSERT_EQ(t->testLog().size(), 2);
    EXPECT_TRUE(t->testLog()[0].endsWith("< 01 78")) << t->testLog()[0].toStdString();
    EXPECT_TRUE(t->testLog()[1].contains(" > 01 78 ")) << t->testLog()[1].toStdString();
    EXPECT_TRUE(t->testLog()[1].endsWith("  CRC16 OK"));
    // The exchange gave the link back: the main window's transactions go out again.
    EXPECT_TRUE(w.engine().isFree());

    bool heard = false;
    seams.onTesterClosed = [&] { heard = true; };
    t->close();
    QTRY_VERIFY(heard);
    EXPECT_EQ(w.testerWindow(), nullptr);
    EXPECT_TRUE(w.isEnabled());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = old.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);  // the earlier line, two new ones, the final line end
    EXPECT_EQ(lines[0], "earlier\r");
    EXPECT_TRUE(lines[1].endsWith("< 01 78\r"));
}
