// The window's firmware commands offscreen against the simulator on a pseudo-terminal:
// reading and programming a HEX file, a rejected file, and erasing Flash.

#include <sys/stat.h>

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <cmath>

#include "app/MainMenus.h"
#include "firmware/gui/FirmwareActions.h"
#include "firmware/gui/TFClear_FL.h"
#include "link/OperationKind.h"
#include "tests/support/EraseThroughDialog.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;
using velmora::testing::eraseThroughTheDialog;
using velmora::testing::flashReadsErased;

namespace {

void writeFile(const QString& path, const char* text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Flash 0x2400..0x240F = 00..0F and EEPROM 0x010..0x012 = 11 22 33 (checksums by hand).
constexpr const char* kImage =
    ":10240000000102030405060708090A0B0C0D0E0F54\r\n:0200000400F00A\r\n:0300100011223387\r\n"
    ":00000001FF\r\n";

}  // namespace

TEST_F(MainWindow, AHexFileIsReadListedAndProgrammedIntoTheNode) {
    TFTerminal& w = start();
    w.module().select(1, 0, 1);
    writeFile(dir.filePath("fw.hex"), kImage);
    w.firmwareActions().setFileChooser([&](const QString&) { return dir.filePath("fw.hex"); });
    w.firmwareActions().mmLoadHexClick();
    EXPECT_EQ(panel(2), "Файл записан успешно");
    EXPECT_TRUE(action("mmRecHex")->isEnabled());
    EXPECT_FALSE(w.pages().PanelRec->isVisible());
    EXPECT_EQ(w.hexDir(), dir.path());
    auto* log = w.pages().reProt;
    QStringList lines;
    for (int i = 0; i < log->lineCount(); ++i) lines << log->lineText(i);
    EXPECT_TRUE(lines.contains("Modbus => Load file: \"" + dir.filePath("fw.hex") + "\""));
    EXPECT_TRUE(lines.contains("  FLASH   0x2400        0x240F      0x0010"));
    EXPECT_TRUE(lines.contains(" EEPROM   0x0010        0x0012      0x0003"));
    // The module holds the image.
    std::array<uint8_t, 256> reply{};
    EXPECT_EQ(w.engine().transact({1, link::rdFlash, 0x2400, 16, 0, 3}, {}, reply).code, 0);
    EXPECT_EQ(reply[15], 0x0F);
    EXPECT_EQ(w.engine().transact({1, link::rdEE, 0x10, 3, 0, 3}, {}, reply).code, 0);
    EXPECT_EQ(reply[2], 0x33);
}

// A write that fails may have changed blocks all the same: the Flash page is read again
// (or marked stale when it cannot be), never left showing the bytes of before as current.
TEST_F(MainWindow, TheFlashPageIsReadAgainAfterAWriteThatFailed) {
    TFTerminal& w = start();
    w.module().select(1, 0, 1);
    int flashReads = 0;
    tabs[kFlashTab].onRead = [&] { ++flashReads; };
    writeFile(dir.filePath("fw.hex"), kImage);
    w.firmwareActions().setFileChooser([&](const QString&) { return dir.filePath("fw.hex"); });
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan silent;
        silent.dropEvery = 1;
        network.setFaults(silent);
    }
    QString message;
    whenModal([&](QWidget* box) {
        message = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
    });
    w.firmwareActions().mmLoadHexClick();
    EXPECT_EQ(message, "Операция записи прервана по ошибке");
    EXPECT_EQ(flashReads, 1);
}

TEST_F(MainWindow, ARejectedFileNamesItsLineAndSendsNothing) {
    TFTerminal& w = start();
    w.module().select(1, 0, 1);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo.hex")).constData(), 0600), 0);
    struct Case {
        const char* name;
        const char* text;  // nothing: the file is there already
        QString message;
    };
    const std::vector<Case> cases = {
        {"bad.hex", ":10240000000102030405060708090A0B0C0D0E0F54\r\n:0100000000FE\r\n",
         "Ошибка  контрольной суммы входного файла, строка 2"},
        {"end.hex", ":00000001FF\r\n", "В файле нет данных для записи в модуль"},
        {"fifo.hex", nullptr, "Файл " + dir.filePath("fifo.hex") + " не является обычным файлом"},
    };
    for (const Case& c : cases) {
        if (c.text) writeFile(dir.filePath(c.name), c.text);
        w.firmwareActions().setFileChooser([&](const QString&) { return dir.filePath(c.name); });
        const unsigned before = network.requestsSeen();
        QString message;
        whenModal([&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        w.firmwareActions().mmLoadHexClick();
        EXPECT_EQ(message, c.message) << c.name;
        EXPECT_FALSE(action("mmRecHex")->isEnabled()) << c.name;
        EXPECT_EQ(network.requestsSeen(), before) << c.name;
    }
}

TEST_F(MainWindow, EraseThroughTheDialogKeepsThePageTexts) {
    TFTerminal& w = start();
    w.module().select(1, 0, 1);
    const QString addressBefore = w.pages().edAdrFL->text();
    EXPECT_EQ(eraseThroughTheDialog(w, "2000", "2007"), "Стирание окончено");
    EXPECT_EQ(w.pages().edAdrFL->text(), addressBefore);
    EXPECT_FALSE(w.pages().PanelRec->isVisible());
    EXPECT_TRUE(flashReadsErased(w, 1, 0x2000, 8));
}

// "Идет стирание" is read while the erase runs: whole at the window's least size, in
// colours far enough apart to read (WCAG's 4.5:1 for text).
TEST_F(MainWindow, TheErasePanelIsWholeAndReadable) {
    TFTerminal& w = start();
    w.module().select(1, 0, 1);
    w.showMainPageQuietly(kModulePage);
    w.showModuleTabQuietly(kFlashTab);
    w.resize(w.minimumSizeHint());
    QLabel* panel = w.pages().PanelRec;
    auto luminance = [](QColor c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    bool seen = false;
    whenModal([&](QWidget* modal) {
        auto* dialog = static_cast<firmware::TFClear_FL*>(modal);
        dialog->edStartAdr->setText("2000");
        dialog->edFinAdr_FL->setText("2007");
        whenModal([&](QWidget* box) {
            seen = true;
            EXPECT_TRUE(panel->isVisible());
            EXPECT_EQ(panel->text(), "Идет стирание");
            EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text()));
            EXPECT_GE(panel->contentsRect().height(), panel->fontMetrics().height());
            const double a = luminance(panel->palette().color(panel->foregroundRole()));
            const double b = luminance(panel->palette().color(panel->backgroundRole()));
            EXPECT_GE((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05), 4.5);
            static_cast<QMessageBox*>(box)->accept();
        });
        dialog->btnErrase->click();
    });
    w.firmwareActions().pmSys_ClFlClick();
    EXPECT_TRUE(seen);
}

TEST_F(MainWindow, BackupOfAnI2cModuleReadsBackToItsFlash) {
    TFTerminal& w = start();
    w.module().select(1, 0x10, 2);
    w.addresses().FlashBottom = 0xF000;  // keep the read short: 64 blocks
    w.firmwareActions().setBackupChooser([&](const QString&) { return dir.filePath("b.hex"); });
    w.firmwareActions().backupClick();
    EXPECT_EQ(panel(2), dir.filePath("b.hex"));
    QFile f(dir.filePath("b.hex"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith(":020000040000FA\r\n"));
    EXPECT_TRUE(text.endsWith(":00000001FF\r\n"));
    EXPECT_TRUE(text.contains(":0200000400F00A\r\n"));  // the EEPROM follows
}
