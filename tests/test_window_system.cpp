// The System page in the main window offscreen, over the simulated network on a
// pseudo-terminal (nodes 01 with modules 10 and 22, and 03): the scan with its panel,
// the tree selection, the configuration file, the add-node dialog and initialisation.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QDir>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "app/Subsystems.h"
#include "system/gui/TFHandSetConfig.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::whenModal;

namespace {

class SystemWindow : public velmora::testing::WindowFixture {
protected:
    void TearDown() override {
        QDir::setCurrent(startDir);
        page.reset();
        WindowFixture::TearDown();
    }

    TFTerminal& startPage(system::NodeRange range, bool autoScan = false) {
        writeSettings(autoScan ? "[System]\nAutoSkan=1\n" : "[System]\nAutoSkan=0\n");
        return start([&](TFTerminal& w) {
            page = app::makeSystemPage(w);
            page->setNodeRange(range);
        });
    }
    bool scanPanelShown() { return window->pages().pSkan->isVisible(); }
    bool waitForScanEnd(int ms = 10000) {
        return QTest::qWaitFor([&] { return !page->scanning() && !scanPanelShown(); }, ms);
    }
    QTreeWidgetItem* root() { return window->pages().treeRoot; }
    QStringList labels(QTreeWidgetItem* parent) {
        QStringList out;
        for (int i = 0; i < parent->childCount(); ++i) out << parent->child(i)->text(0);
        return out;
    }
    void writeFile(const QString& name, const QByteArray& text) {
        QFile f(inDir(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QString startDir = QDir::currentPath();
    std::unique_ptr<system::SystemPage> page;
};

}  // namespace

TEST_F(SystemWindow, UpdateScansAndFillsTheTree) {
    TFTerminal& w = startPage({1, 4});
    QStringList reads;
    tabs[kFlashTab].onRead = [&] { reads << "flash"; };
    tabs[kRamTab].onRead = [&] { reads << "ram"; };
    tabs[kEepromTab].onRead = [&] { reads << "eeprom"; };
    w.module().select(0x22, 0x10, 2);

    w.pages().btn_sysUpDate->click();
    EXPECT_TRUE(scanPanelShown());
    EXPECT_FALSE(w.pages().btn_sysUpDate->isVisible());
    EXPECT_FALSE(w.menus().mmFile->menuAction()->isEnabled());
    EXPECT_FALSE(w.menus().mmSettings->menuAction()->isEnabled());
    EXPECT_EQ(w.pages().gauge1Label->text(), "Modbus  115200");
    EXPECT_FALSE(w.scan().SystemIdle);
    ASSERT_TRUE(waitForScanEnd());

    EXPECT_EQ(labels(root()), (QStringList{"$01", "$03"}));
    EXPECT_EQ(labels(root()->child(0)), (QStringList{"  $10", "  $22"}));
    EXPECT_EQ(w.module().CurrentCID, 0x01);
    EXPECT_EQ(w.module().CurrentSlaveAdr, 0);
    EXPECT_EQ(panel(0), "Адр Modbus: 01");
    EXPECT_EQ(panel(1), "");
    EXPECT_EQ(reads, (QStringList{"flash", "ram", "eeprom"}));
    EXPECT_TRUE(w.pages().btn_sysUpDate->isVisible());
    EXPECT_TRUE(w.menus().mmFile->menuAction()->isEnabled());
    EXPECT_TRUE(w.menus().mmSettings->menuAction()->isEnabled());
    EXPECT_EQ(w.pages().Gauge1->value(), 0);
    EXPECT_EQ(w.pages().Gauge2->value(), 0);
    EXPECT_TRUE(w.scan().SystemIdle);
    EXPECT_FALSE(w.scan().ScanRunning);

    // A module entry addresses its node and slave, its node entry the node alone.
    w.pages().tvSysInf->setCurrentItem(root()->child(0)->child(1));
    EXPECT_EQ(w.module().CurrentCID, 0x01);
    EXPECT_EQ(w.module().CurrentSlaveAdr, 0x22);
    EXPECT_EQ(w.module().SelectionLevel, 2);
    EXPECT_EQ(panel(1), "Адр i2c: 22");
    w.pages().tvSysInf->setCurrentItem(root()->child(1));
    EXPECT_EQ(w.module().CurrentCID, 0x03);
    EXPECT_EQ(w.module().CurrentSlaveAdr, 0);
    EXPECT_EQ(panel(1), "");
    w.pages().tvSysInf->setCurrentItem(root());
    EXPECT_EQ(w.module().SelectionLevel, 0);
    EXPECT_EQ(w.module().CurrentCID, 0x03);
}

TEST_F(SystemWindow, TreeClickStopsTheScanAndTimer1OpensTheIdentifierTab) {
    TFTerminal& w = startPage({1, 0xFF});
    int idReads = 0;
    tabs[kIdentTab].onRead = [&] { ++idReads; };
    w.pages().btn_sysUpDate->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return root()->childCount() > 0; }, 5000));
    w.pages().tvSysInf->setCurrentItem(root()->child(0));
    EXPECT_FALSE(w.scan().ScanRunning);
    ASSERT_TRUE(waitForScanEnd(3000));
    EXPECT_EQ(w.module().CurrentCID, 0x01);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainPage() == kModulePage && idReads > 0; }, 3000));
    EXPECT_EQ(moduleTab(), kIdentTab);
    EXPECT_EQ(w.module().SelectionLevel, 1);
}

TEST_F(SystemWindow, EscStopsTheScanAndEmptiesThePanels) {
    TFTerminal& w = startPage({1, 0xFF}, true);  // the start-up scan
    ASSERT_TRUE(QTest::qWaitFor([&] { return root()->childCount() > 0; }, 5000));
    key(Qt::Key_Escape);
    ASSERT_TRUE(waitForScanEnd(3000));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(panel(i), "") << i;
    EXPECT_EQ(labels(root()).front(), "$01");
    EXPECT_TRUE(w.pages().btn_sysUpDate->isVisible());
}

TEST_F(SystemWindow, CloseDuringTheScanClosesOnceItHasEnded) {
    TFTerminal& w = startPage({1, 0xFF});
    w.pages().btn_sysUpDate->click();
    ASSERT_TRUE(scanPanelShown());
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.scan().CloseRequested);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 3000));
    EXPECT_TRUE(w.scan().SystemIdle);
}

// The sweep runs out at once when the port is lost; the window must not present what
// answered before the loss as the whole line, nor read the views through the lost port.
TEST_F(SystemWindow, AScanCutShortByALostPortSaysSoAndReadsNothing) {
    TFTerminal& w = startPage({1, 0xFF});
    QStringList reads;
    for (int tab : {kFlashTab, kRamTab, kEepromTab}) tabs[tab].onRead = [&] { reads << "read"; };
    w.module().select(0x01, 0, 1);
    w.pages().btn_sysUpDate->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return root()->childCount() > 0; }, 5000));
    w.linkState().PortLost = true;  // as the device's loss marks it
    ASSERT_TRUE(waitForScanEnd());
    EXPECT_EQ(labels(root()), QStringList{"$01"});
    EXPECT_EQ(panel(2), "Сканирование прервано: порт потерян");
    EXPECT_TRUE(reads.isEmpty());
    // The port check's repeated failure does not wipe it while the port stays gone.
    emit w.session().portCheckFailed();
    EXPECT_EQ(panel(2), "Сканирование прервано: порт потерян");
}

TEST_F(SystemWindow, ThirtyThirdModuleShowsTheLimitMessage) {
    {
        auto lock = server->lockNetwork();
        for (int s = 2; s <= 66; s += 2) network.node(3)->addSubModule(static_cast<uint8_t>(s));
    }
    TFTerminal& w = startPage({3, 3});
    QString message;
    whenModal([&](QWidget* box) {
        message = static_cast<QMessageBox*>(box)->text();
        box->close();
    });
    w.pages().btn_sysUpDate->click();
    ASSERT_TRUE(waitForScanEnd());
    EXPECT_EQ(message, "Превышен лимит количества модулей 1-го узла");
    EXPECT_EQ(root()->child(0)->childCount(), 32);
    EXPECT_EQ(w.module().SystemTable[0].moduleCount, 32);
}

TEST_F(SystemWindow, ConfigurationAtStartAndFaultyFilesChangeNothing) {
    QDir::setCurrent(dir.path());
    writeFile("sysConfig.trm", "[05]\r\n00\r\n[07]\r\n01\r\n2A\r\n");
    TFTerminal& w = startPage({1, 4});
    EXPECT_EQ(labels(root()), (QStringList{"  $05", "  $07"}));
    EXPECT_EQ(labels(root()->child(1)), (QStringList{"$2A"}));
    EXPECT_EQ(w.module().CurrentCID, 0x05);
    EXPECT_EQ(panel(0), "Адр Modbus: 05");

    const char* faulty[] = {"[01]\r\n02\r\n10\r\nzz\r\n", "[01]\r\n02\r\n10\r\n", "[01]\r\n21\r\n"};
    for (const char* text : faulty) {
        writeFile("bad.trm", text);
        QString message;
        whenModal([&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            box->close();
        });
        EXPECT_FALSE(page->loadConfigurationFile(inDir("bad.trm")));
        EXPECT_TRUE(message.contains("bad.trm")) << message.toStdString();
        EXPECT_EQ(labels(root()), (QStringList{"  $05", "  $07"}));
        EXPECT_EQ(w.module().SystemTable[1].modules[0], 0x2A);
        EXPECT_EQ(w.module().SystemTable[0].cid, 0x05);
    }

    // An empty file clears the table; nothing is current any more.
    writeFile("empty.trm", "");
    EXPECT_TRUE(page->loadConfigurationFile(inDir("empty.trm")));
    EXPECT_EQ(root()->childCount(), 0);
    EXPECT_EQ(w.module().CurrentCID, 0);
}

TEST_F(SystemWindow, SaveWritesTheTableAndLoadReadsItBack) {
    QDir::setCurrent(dir.path());  // where both dialogs start
    TFTerminal& w = startPage({1, 4});
    w.pages().btn_sysUpDate->click();
    ASSERT_TRUE(waitForScanEnd());
    const QString path = inDir("saved.trm");
    whenModal([&](QWidget* d) {
        auto* dialog = static_cast<QFileDialog*>(d);
        // Typed, not picked: the dialog learns of the folder's files in a thread of its
        // own, and a pick would wait for it.
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("saved.trm");
        EXPECT_EQ(dialog->selectedFiles(), QStringList{path});
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    w.menus().mmSaveConfig->trigger();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[01]\r\n02\r\n10\r\n22\r\n[03]\r\n00\r\n"));

    w.module().setTable({});
    whenModal([&](QWidget* d) {
        auto* dialog = static_cast<QFileDialog*>(d);
        // Typed, not picked: the dialog learns of the folder's files in a thread of its
        // own, and a pick would wait for it.
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("saved.trm");
        EXPECT_EQ(dialog->selectedFiles(), QStringList{path});
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    w.menus().mmLoadConfig->trigger();
    EXPECT_EQ(labels(root()), (QStringList{"  $01", "  $03"}));
    EXPECT_EQ(labels(root()->child(0)), (QStringList{"$10", "$22"}));
    EXPECT_EQ(w.module().SystemTable[0].modules[1], 0x22);
}

TEST_F(SystemWindow, AddNodeDialog) {
    TFTerminal& w = startPage({1, 4});
    w.Comm().setBaud(2400);
    auto addWith = [&](const char* keys, int speedEntry, int* shownEntry = nullptr,
                       QString* typed = nullptr) {
        whenModal([=](QWidget* d) {
            auto* dialog = static_cast<system::TFHandSetConfig*>(d);
            if (shownEntry) *shownEntry = dialog->cbSpeed->currentIndex();
            dialog->edAdrModbus->clear();
            QTest::keyClicks(dialog->edAdrModbus, keys);
            if (typed) *typed = dialog->edAdrModbus->text();
            dialog->cbSpeed->setCurrentIndex(speedEntry);
            dialog->btnClose->click();
        });
        w.menus().pmAddModulModbas->trigger();
    };
    int shown = -1;
    QString typed;
    addWith("13a", 1, &shown, &typed);  // 3 is odd and dropped
    EXPECT_EQ(shown, 3) << "2400 bit/s shows 115200";
    EXPECT_EQ(typed, "1A");
    EXPECT_EQ(labels(root()), (QStringList{"$1A"}));
    EXPECT_EQ(w.module().SystemTable[0].cid, 0x1A);
    EXPECT_EQ(w.Comm().baud(), 19200u);
    EXPECT_TRUE(w.menus().mmSpeed[3]->isChecked());
    EXPECT_EQ(w.systemSpeed(), 115200u);

    // The same address again selects its entry, which addresses the node.
    w.pages().tvSysInf->setCurrentItem(root());
    addWith("1a", 3);
    EXPECT_EQ(root()->childCount(), 1) << "a listed address is not added twice";
    EXPECT_EQ(w.pages().tvSysInf->currentItem(), root()->child(0));
    EXPECT_EQ(w.module().CurrentCID, 0x1A);
    EXPECT_EQ(w.module().SelectionLevel, 1);

    // 00 is refused with the dialog left open; "Отмена" changes nothing.
    QString message;
    bool stillOpen = false;
    whenModal([&](QWidget* d) {
        auto* dialog = static_cast<system::TFHandSetConfig*>(d);
        dialog->edAdrModbus->setText("00");
        whenModal([&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            box->close();
        });
        dialog->btnClose->click();
        stillOpen = dialog->isVisible();
        dialog->btnCansel->click();
    });
    w.menus().pmAddModulModbas->trigger();
    EXPECT_EQ(message, "Ошибка задания адреса Modbus");
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(root()->childCount(), 1);
    EXPECT_EQ(w.Comm().baud(), 115200u);
}

TEST_F(SystemWindow, InitialiseSendsInitAndSetsTheSpeedAgain) {
    TFTerminal& w = startPage({1, 4});
    w.module().select(0x03, 0, 1);
    w.Comm().setBaud(19200);
    EXPECT_TRUE(w.menus().N14->isEnabled());
    w.menus().pmSys_InitModul->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            auto lock = server->lockNetwork();
            return network.node(3)->module().initCount == 1;
        },
        2000));
    EXPECT_EQ(network.node(1)->module().initCount, 0);
    EXPECT_EQ(w.Comm().baud(), 115200u);
}

TEST_F(SystemWindow, GaugesReportTheirValueToAssistiveTechnology) {
    TFTerminal& w = startPage({1, 4});
    system::PieGauge* g = w.pages().Gauge1;
    g->setValue(0x20);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(g);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::ProgressBar);
    EXPECT_EQ(a->text(QAccessible::Name), "Опрос узлов Modbus");
    EXPECT_EQ(a->text(QAccessible::Value), "20");
    ASSERT_NE(a->valueInterface(), nullptr);
    EXPECT_EQ(a->valueInterface()->currentValue().toInt(), 0x20);
    EXPECT_EQ(a->valueInterface()->maximumValue().toInt(), 256);
    g->setValue(300);
    EXPECT_EQ(g->value(), 256);
    // A quarter of the range is a quarter turn clockwise.
    g->setValue(64);
    EXPECT_EQ(g->spanAngle(), -90 * 16);
}

TEST_F(SystemWindow, QtsOwnDialogsSpeakRussianAndMessagesCarryTheWindowsCaption) {
    QDir::setCurrent(dir.path());
    TFTerminal& w = startPage({1, 4});
    // Qt draws these dialogs itself; its Russian texts are Qt's translation's own words.
    struct Case {
        QAction* entry;
        QStringList buttons;
    };
    const Case cases[] = {
        {w.menus().mmLoadConfig, {"&Открыть", "Отмена"}},
        {w.menus().mmSaveConfig, {"&Сохранить", "Отмена"}},
    };
    for (const Case& c : cases) {
        QStringList shown;
        QString lookIn;
        whenModal([&](QWidget* d) {
            for (QAbstractButton* b : d->findChild<QDialogButtonBox*>("buttonBox")->buttons())
                shown << b->text();
            lookIn = d->findChild<QLabel*>("lookInLabel")->text();
            static_cast<QDialog*>(d)->reject();
        });
        c.entry->trigger();
        EXPECT_EQ(shown, c.buttons) << c.entry->text().toStdString();
        EXPECT_EQ(lookIn, "Перейти к:");
    }

    // A refused file: the message box is titled as the main window is.
    writeFile("bad.trm", "[zz]\r\n");
    QString title;
    whenModal([&](QWidget* d) {
        title = d->windowTitle();
        static_cast<QMessageBox*>(d)->accept();
    });
    EXPECT_FALSE(page->loadConfigurationFile(inDir("bad.trm")));
    EXPECT_EQ(title, w.windowTitle());
}
