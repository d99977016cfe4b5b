// The Terminal page offscreen, on the simulated network behind a pseudo-terminal: the
// command line, its filter and history, the send beside transactions, the command
// beginnings, the popup's files.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFileDialog>
#include <QFile>
#include <QFontInfo>
#include <QLineEdit>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QTabWidget>

#include "common/gui/Fonts.h"
#include "console/gui/FrameDecodeDialog.h"
#include <QPlainTextEdit>
#include <QTextBlock>
#include "link/OperationKind.h"
#include "tests/support/TerminalFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::whenModal;

namespace {

class TerminalPage : public velmora::testing::TerminalFixture {
protected:
    TFTerminal& open() {
        TFTerminal& w = start();
        w.showMainPageQuietly(kTerminalPage);
        line()->setFocus();
        return w;
    }
    QLineEdit* line() { return window->pages().cbKomStr->lineEdit(); }
    // Keys go where the platform delivers them: to the focus widget, which for the
    // command line is the combo box, not its line edit.
    QWidget* keys() {
        QWidget* focus = QApplication::focusWidget();
        EXPECT_NE(focus, nullptr);
        return focus;
    }
    console::ProtocolLogPane* log() { return window->pages().reProt; }
    QStringList logLines() {
        QStringList out;
        for (int i = 0; i < log()->lineCount(); ++i) out << log()->lineText(i);
        return out;
    }
    void enter(const QString& text) {
        line()->setText(text);
        QTest::keyClick(keys(), Qt::Key_Return);
    }
    bool waitForLines(int n) {
        return QTest::qWaitFor([&] { return log()->lineCount() >= n; }, 5000);
    }
    QStringList shownBeginnings() {
        QStringList out;
        for (QAction* a : window->menus().loadKomm->actions())
            if (a->isVisible()) out << a->objectName();
        return out;
    }
};

}  // namespace

TEST_F(TerminalPage, TypedCommandGoesOutAndItsReplyIsLogged) {
    open();
    QTest::keyClicks(keys(), "1 78");
    QTest::keyClick(keys(), Qt::Key_Enter);
    ASSERT_TRUE(waitForLines(18));
    const QStringList lines = logLines();
    EXPECT_EQ(lines.size(), 18);
    EXPECT_EQ(lines.first(), "=> 01 78 00 02 ");
    EXPECT_TRUE(lines[1].startsWith("<= 01 78 ")) << lines[1].toStdString();
    EXPECT_EQ(lines.last(), "  CRC16=OK");
    EXPECT_EQ(log()->lineColour(17), QColor(255, 0, 0));
    EXPECT_EQ(window->pages().cbKomStr->count(), 1);
    EXPECT_EQ(window->pages().cbKomStr->itemText(0), "1 78");
    EXPECT_EQ(line()->text(), "1 78");  // the line stays for the next Enter
}

TEST_F(TerminalPage, KeysOtherThanHexDigitsAndBlankAreSwallowed) {
    open();
    QTest::keyClicks(keys(), "1a g;z F-");
    EXPECT_EQ(line()->text(), "1A  F");
    QTest::keyClick(keys(), Qt::Key_Backspace);
    EXPECT_EQ(line()->text(), "1A  ");
    QTest::keyClick(keys(), Qt::Key_Left);  // keys that type nothing still move the caret
    EXPECT_EQ(line()->cursorPosition(), 3);
    QTest::keyClick(keys(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(line()->selectedText(), "");
    QTest::keyClick(keys(), Qt::Key_Tab);
    EXPECT_EQ(line()->text(), "1A  ");
    EXPECT_FALSE(line()->hasFocus());
}

TEST_F(TerminalPage, PastedNonHexTokenIsRefusedBeforeAnythingIsSent) {
    open();
    QApplication::clipboard()->setText("01 7z");
    QTest::keyClick(keys(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(line()->text(), "01 7z");  // pasted text is not filtered
    QString shown;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shown = box->text();
        box->accept();
    });
    QTest::keyClick(keys(), Qt::Key_Return);
    EXPECT_EQ(shown, "'$7z' is not a valid integer value");
    EXPECT_EQ(log()->lineCount(), 0);
    EXPECT_TRUE(window->engine().isFree());
}

TEST_F(TerminalPage, SendWaitsForTheTransactionInFlight) {
    TFTerminal& w = open();
    action("mmProt")->setChecked(true);
    line()->setText("1 78");
    // Enter comes while the transaction waits for its reply.
    QTimer::singleShot(0, line(), [this] { QTest::keyClick(keys(), Qt::Key_Return); });
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    ASSERT_TRUE(waitForLines(20));
    const QStringList lines = logLines();
    EXPECT_EQ(lines[0], "Send>01 70 00 50 04 3E C3 ");
    EXPECT_EQ(lines[1], "<Res 01 70 00 50 04 00 00 00 01 3C 14 ");
    EXPECT_EQ(lines[2], "=> 01 78 00 02 ");
    EXPECT_EQ(lines[19], "  CRC16=OK");
}

TEST_F(TerminalPage, LogCutAfterTheSendNotBefore) {
    TFTerminal& w = open();
    action("mmProt")->setChecked(true);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    EXPECT_EQ(log()->lineCount(), 20);
    action("mmCRC_hi")->trigger();  // the node takes no frame with its CRC swapped
    enter("1 78");
    ASSERT_TRUE(waitForLines(21));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    EXPECT_EQ(log()->lineCount(), 41);  // the engine never shortens the log
    action("mmCRC_lo")->trigger();
    enter("1 78");
    ASSERT_TRUE(QTest::qWaitFor([&] { return log()->lineText(26) == "  CRC16=OK"; }, 5000));
    EXPECT_EQ(log()->lineCount(), 27);
    EXPECT_TRUE(log()->lineText(8).startsWith("<Res ")) << log()->lineText(8).toStdString();
    EXPECT_EQ(log()->lineText(9).toStdString(), "=> 01 78 00 02 ");
}

TEST_F(TerminalPage, CommandBeginningsFollowTheSelection) {
    TFTerminal& w = open();
    MainMenus& m = w.menus();
    emit m.pmProt->aboutToShow();
    EXPECT_FALSE(m.loadKomm->menuAction()->isEnabled());

    w.module().select(0x1F, 0, 1);
    emit m.pmProt->aboutToShow();
    EXPECT_TRUE(m.loadKomm->menuAction()->isEnabled());
    EXPECT_EQ(shownBeginnings(), (QStringList{"loadRdRam", "loadWrRAM", "loadRdFlash", "loadRdEE",
                                              "loadWrEE"}));
    action("loadWrRAM")->trigger();
    EXPECT_EQ(line()->text(), "1F 71 ");
    EXPECT_EQ(line()->cursorPosition(), 6);
    EXPECT_EQ(w.pages().pHint->text(),
              "Запись RAM: <CID> <71> <hiAdr> <loAdr> <Nbyte> <dat1>..<datN>");
    action("loadRdFlash")->trigger();  // no action of its own
    EXPECT_EQ(line()->text(), "1F 71 ");

    w.module().select(0x01, 0x10, 2);
    emit m.pmProt->aboutToShow();
    EXPECT_EQ(shownBeginnings(), (QStringList{"loadRdI2C", "loadWrI2C", "loadSetStr"}));
    emit m.loadKomm->findChild<QMenu*>("loadSetStr")->aboutToShow();
    EXPECT_EQ(line()->text(), "01 7B 10 51 1 0");
    EXPECT_EQ(w.pages().pHint->text(), "Уст стр SFR: <CID> <71> <0> <51> <1> <0>");
}

TEST_F(TerminalPage, CommandSetReplacesTheHistoryOnlyWhenWhole) {
    TFTerminal& w = open();
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(inDir(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return inDir(name);
    };
    QByteArray ten;
    for (int i = 1; i <= 10; ++i) ten += QByteArray::number(i) + " 78\r\n";
    EXPECT_EQ(w.terminalConsole().loadCommandSet(write("set.ncm", ten)), "");
    QComboBox* cb = w.pages().cbKomStr;
    ASSERT_EQ(cb->count(), 8);
    EXPECT_EQ(cb->itemText(0), "1 78");
    EXPECT_EQ(cb->itemText(7), "8 78");

    EXPECT_EQ(w.terminalConsole().loadCommandSet(write("bad.ncm", "1 78\nhello\n")),
              "Строка 2: '$lo' is not a valid integer value");
    EXPECT_NE(w.terminalConsole().loadCommandSet(inDir("missing.ncm")), "");
    EXPECT_EQ(cb->count(), 8);
    EXPECT_EQ(cb->itemText(0), "1 78");

    // From the popup: the dialog opens in the program's folder; cancelling it keeps the
    // history. (Picking a file in it depends on Qt listing the folder in a thread of its
    // own, which a loaded machine can delay without end; the load itself is tested above.)
    QString startedIn;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        EXPECT_NE(dialog, nullptr);
        if (dialog) startedIn = dialog->directory().absolutePath();
        static_cast<QDialog*>(modal)->reject();
    });
    action("loadKommSet")->trigger();
    EXPECT_EQ(startedIn, QDir(QCoreApplication::applicationDirPath()).absolutePath());
    ASSERT_EQ(cb->count(), 8);
    EXPECT_EQ(cb->itemText(0), "1 78");
}

TEST_F(TerminalPage, LogSavedAsUtf8Text) {
    TFTerminal& w = open();
    log()->appendLine("Send>01 78 00 02 ", {0, 128, 0});
    log()->appendLine("Стирание 2000", {0, 0, 0});
    const QString path = inDir("log.txt");
    EXPECT_EQ(w.terminalConsole().saveLog(path), "");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Send>01 78 00 02 \nСтирание 2000\n"));
    EXPECT_NE(w.terminalConsole().saveLog(inDir("no/such/dir/log.txt")), "");

    // Lines gathered but not yet shown go with the rest.
    log()->appendLine("<Res 01 78 ", {0, 0, 255});
    action("mmClear")->trigger();
    EXPECT_EQ(log()->lineCount(), 0);
    EXPECT_EQ(log()->allText(), "");
}

// The log takes its own font when first seen, not when made (its page opens hidden).
// Lines that came before then must draw exactly as in a log that had the font all along,
// at the same place.
TEST(ProtocolLog, FirstSeenAfterLinesCameItDrawsAsOneThatHadItsFontAllAlong) {
    console::ProtocolLogPane seen;
    seen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&seen));
    const QFont logFont = seen.font();
    EXPECT_TRUE(QFontInfo(logFont).fixedPitch());
    EXPECT_TRUE(logFont.bold());
    EXPECT_EQ(logFont.pixelSize(), 11);

    console::ProtocolLogPane late;
    console::ProtocolLogPane allAlong;
    allAlong.setFont(logFont);
    for (console::ProtocolLogPane* pane : {&late, &allAlong}) {
        pane->resize(420, 260);
        for (int i = 0; i < 40; ++i)
            pane->appendLine("01 03 00 " + std::to_string(10 + i) + " 00 02 C4 0B",
                             {static_cast<uint8_t>(i * 6), 0, static_cast<uint8_t>(255 - i * 6)});
        pane->flush();
    }
    for (console::ProtocolLogPane* pane : {&late, &allAlong}) {
        pane->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pane));
    }
    EXPECT_EQ(late.font(), logFont);
    EXPECT_EQ(late.grab().toImage(), allAlong.grab().toImage());
    EXPECT_EQ(late.lineCount(), 40);
    EXPECT_EQ(late.lineText(39), "01 03 00 49 00 02 C4 0B");
}

// The program's hex columns ask for a family by name; whatever that name resolves to on
// the machine (absent, or a proportional face, as on a desktop with many fonts), what
// comes back draws fixed-pitch at the size and weight asked.
TEST(Fonts, EveryNamedFontDrawsFixedPitchWhateverTheNameResolvesTo) {
    const char* asked[] = {"Courier New", "Terminal", "No Such Family", "DejaVu Sans", "Sans Serif"};
    for (const char* family : asked)
        for (bool bold : {false, true}) {
            const QFont font = gui::namedFont(family, 9, bold);
            EXPECT_TRUE(QFontInfo(font).fixedPitch()) << family << " bold " << bold;
            EXPECT_EQ(font.pointSize(), 9) << family;
            EXPECT_EQ(font.bold(), bold) << family;
        }
}

// The log's page opens hidden while lines already come in, so the log is first seen after
// them: it must then show its newest lines, as it does once open, whatever the desktop's
// font. Desktop fonts both shorter and taller than the log's 11-pixel lines.
TEST(ProtocolLog, FirstSeenOnAHiddenPageItShowsTheNewestLines) {
    const QFont desktop = QApplication::font();
    for (int pixels : {8, 10, 16, 20}) {
        QFont small = desktop;
        small.setPixelSize(pixels);
        QApplication::setFont(small);
        QTabWidget pages;
        pages.addTab(new QLabel("Система"), "Система");
        auto* log = new console::ProtocolLogPane;
        pages.addTab(log, "Терминал");
        pages.resize(500, 400);
        pages.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
        for (int i = 0; i < 200; ++i) log->appendLine("01 03 00 " + std::to_string(i) + " 00 02 C4 0B", {0, 0, 0});
        log->flush();
        pages.setCurrentIndex(1);
        QApplication::processEvents();
        const QScrollBar* bar = log->verticalScrollBar();
        EXPECT_GT(bar->maximum(), 0) << pixels;
        EXPECT_EQ(bar->value(), bar->maximum()) << "desktop font of " << pixels << " px";
        // The view's last row holds the newest line, not one of those before it.
        const QPoint lastRow(2, log->viewport()->height() - 2);
        EXPECT_EQ(log->cursorForPosition(lastRow).blockNumber(), 199) << "desktop font of " << pixels << " px";
    }
    QApplication::setFont(desktop);
}

// A frame line of the log, double-clicked or chosen with "Разобрать кадр", opens the
// decoder with that frame taken apart.
TEST_F(TerminalPage, AFrameLineOfTheLogIsTakenApart) {
    TFTerminal& w = open();
    enter("1 70 0 10 4");
    ASSERT_TRUE(waitForLines(2));
    log()->flush();
    ASSERT_EQ(logLines().first(), "=> 01 70 00 10 04 0F 03 ");
    const QRect first = log()->cursorRect(QTextCursor(log()->document()->firstBlock()));
    QTest::mouseDClick(log()->viewport(), Qt::LeftButton, {}, first.center());
    console::FrameDecodeDialog* decoder = w.terminalConsole().decoder();
    ASSERT_NE(decoder, nullptr) << "a double click on the request opened nothing";
    EXPECT_EQ(decoder->fieldsBox()->toPlainText(),
              "node 01\ncommand 70 rdRAM\naddress 0010\ncount 04\ncrc 030F ok\n");
    EXPECT_EQ(decoder->verdictLabel()->text(), "Запрос; ответ: 11 байт");
    // Typed into the box: taken apart as it is typed.
    decoder->bytesBox()->setText("01 87 00 00 00");
    EXPECT_TRUE(decoder->fieldsBox()->toPlainText().startsWith("node 01\nerror 87 "));
    EXPECT_EQ(decoder->verdictLabel()->text(), "Ответ с ошибкой; CRC неверна");
    decoder->close();
    // From the popup, for the line the text cursor is on.
    log()->setTextCursor(QTextCursor(log()->document()->firstBlock()));
    w.menus().mmDecode->trigger();
    EXPECT_TRUE(decoder->isVisible());
    EXPECT_EQ(decoder->bytesBox()->text(), "01 70 00 10 04 0F 03");
}
