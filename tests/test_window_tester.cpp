// The command tester window offscreen over the simulated network: opened from the Tools
// menu with the main window disabled, one step sent, the log appended on closing, and
// the window destroyed on its message.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>

#include "tools/gui/TFEditorTest.h"
#include "tools/gui/TFTestKom.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;

namespace {
// A test file of `text` in `dir`; its path.
QString writeTestFile(const QTemporaryDir& dir, const char* name, const char* text) {
    QFile tst(dir.filePath(name));
    EXPECT_TRUE(tst.open(QIODevice::WriteOnly));
    tst.write(text);
    return tst.fileName();
}
}  // namespace

TEST_F(MainWindow, TesterStepsLogsAndIsDestroyedOnClose) {
    TFTerminal& w = start();
    QTemporaryDir dir;
    const QString tst = writeTestFile(dir, "ident.tst", " 01 78 \r\n");
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
    t->openFiles({tst});
    auto* files = t->findChild<QListWidget*>("clbFileName");
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(files->item(0)->text(), "ident.tst");
    EXPECT_EQ(files->item(0)->checkState(), Qt::Checked);
    // The check box is the file's switch in the test list.
    files->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(t->testList().files()[0].checked);
    files->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(t->testList().files()[0].checked);

    // F9 switches the generator on and off; "." removes the selected file. The keys go
    // to the focus widget, as the platform sends them: the file list, given the focus.
    auto* active = t->findChild<QCheckBox*>("rbGENactive");
    t->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(t));
    files->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), files);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    EXPECT_TRUE(active->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    EXPECT_FALSE(active->isChecked());
    t->openFiles({tst});
    files->setCurrentRow(0);
    QTest::keyClick(QApplication::focusWidget(), '.');
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(t->testList().lines().front().substr(0, 3), "[0]");

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

TEST(TestEditorWindow, RecordFiltersSaveAndLoad) {
    tools::TFEditorTest e;
    e.show();
    e.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&e));
    // Typed as after a click on the field: to the focus widget, where the platform sends keys.
    const auto typeInto = [](QLineEdit* field, const char* text) {
        field->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), field);
        QTest::keyClicks(QApplication::focusWidget(), text);
    };
    typeInto(e.edAdr_Modbus, "1g");  // g swallowed
    EXPECT_EQ(e.edAdr_Modbus->text(), "1");
    e.cbKom->setCurrentIndex(5);  // [ 75 ] - запись в EEPROM
    e.Timer1Timer();
    EXPECT_TRUE(e.edData_Write->isVisible());
    EXPECT_TRUE(e.pnRes->isVisible());
    EXPECT_FALSE(e.pnI2c->isVisible());
    // Each field has its label beside it, the label's text the field's name.
    const std::pair<QWidget*, const char*> labelled[] = {
        {e.lbMon_Kom, "Строки теста"}, {e.edData_Write, "Данные"},  {e.edAdr_Modbus, "Modbus"},
        {e.cbKom, "Команда"},          {e.edAdrRes_M, "Адрес ресурса"}, {e.edKol, "Кол-во"}};
    for (auto [field, text] : labelled) {
        QLabel* label = nullptr;
        for (QLabel* l : e.findChildren<QLabel*>())
            if (l->buddy() == field) label = l;
        ASSERT_TRUE(label) << text;
        EXPECT_EQ(label->text(), text);
        EXPECT_EQ(field->accessibleName(), text);
        const QRect l(label->mapTo(&e, QPoint()), label->size()), f(field->mapTo(&e, QPoint()), field->size());
        EXPECT_TRUE(label->isVisible() && l.adjusted(-12, -12, 12, 12).intersects(f)) << text;
    }
    typeInto(e.edAdrRes_M, "10");
    typeInto(e.edKol, "8");
    typeInto(e.edData_Write, "1 2 3");
    e.btnRecClick();
    ASSERT_EQ(e.lbMon_Kom->count(), 1);
    EXPECT_EQ(e.lbMon_Kom->item(0)->text(), "01 75 00 10 08  01 02 03");

    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(e.saveFile(dir.filePath("set.txt"), error)) << error.toStdString();
    QFile saved(dir.filePath("set.tst"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "01 75 00 10 08  01 02 03\r\n");
    ASSERT_TRUE(e.loadFile(saved.fileName(), error));
    EXPECT_EQ(e.lbMon_Kom->count(), 2);  // appended, the list not emptied
    EXPECT_FALSE(e.loadFile(dir.filePath("missing.tst"), error));
    EXPECT_EQ(e.lbMon_Kom->count(), 2);
}

TEST_F(MainWindow, ALogThatCannotBeWrittenIsShownAndTheTesterStillCloses) {
    TFTerminal& w = start();
    QTemporaryDir dir;
    const QString tst = writeTestFile(dir, "ident.tst", "01 78\r\n");
    action("N10")->trigger();
    QCoreApplication::processEvents();
    tools::TFTestKom* t = w.testerWindow();
    ASSERT_TRUE(t);
    t->setLogDirectory(dir.filePath("no-such-folder"));
    t->openFiles({tst});
    t->findChildren<QRadioButton*>().at(2)->click();
    t->timGENtestTimer();
    ASSERT_EQ(t->testLog().size(), 2);

    QString shown;
    velmora::testing::whenModal([&](QWidget* box) {
        shown = static_cast<QMessageBox*>(box)->text();
        box->close();
    });
    t->close();
    EXPECT_TRUE(shown.contains("Velmora_Test.log")) << shown.toStdString();
    QTRY_COMPARE(w.testerWindow(), nullptr);
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(MainWindow, ATestFileWithABadLineIsRefusedAtOpeningAndNothingIsSent) {
    TFTerminal& w = start();
    QTemporaryDir files;
    const QString tst = writeTestFile(files, "bad.tst", "01 78\r\n01 7X\r\n");
    action("mmTester")->trigger();
    QCoreApplication::processEvents();
    tools::TFTestKom* t = w.testerWindow();
    ASSERT_TRUE(t);
    t->setLogDirectory(files.path());
    QString shown;
    velmora::testing::whenModal([&](QWidget* box) {
        shown = static_cast<QMessageBox*>(box)->text();
        box->close();
    });
    t->openFiles({tst});
    EXPECT_EQ(shown, tst + ", line 2: '$7X' is not a valid integer value");
    EXPECT_EQ(t->findChild<QListWidget*>("clbFileName")->count(), 0);
    t->findChildren<QRadioButton*>().at(2)->click();
    t->timGENtestTimer();
    EXPECT_TRUE(t->testLog().isEmpty());
    t->close();
    QTRY_COMPARE(w.testerWindow(), nullptr);
}
