// The main window offscreen, with the simulated network on a pseudo-terminal.

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

using namespace velmora;
using namespace velmora::app;

namespace {

// The System page's and the tool windows' seams, recording what the frame asks.
struct RecordingSeams : SystemPageActions, ToolWindowActions {
    std::function<void()> onBusScan, onLoadConfiguration, onStopScan, onBrowserClosed,
        onTesterClosed;
    static void call(const std::function<void()>& f) {
        if (f) f();
    }
    void busScan() override { call(onBusScan); }
    void loadConfiguration() override { call(onLoadConfiguration); }
    void stopScan() override { call(onStopScan); }
    void browserClosed() override { call(onBrowserClosed); }
    void testerClosed() override { call(onTesterClosed); }
};

// A Module tab that records what the frame asks of it.
struct RecordingTab : ModuleTab {
    std::function<void()> onRead, onRefresh;
    std::function<bool(QKeyEvent*)> onKey;
    QWidget* focus = nullptr;
    void read() override {
        if (onRead) onRead();
    }
    void refreshTick() override {
        if (onRefresh) onRefresh();
    }
    bool key(QKeyEvent* e) override { return onKey && onKey(e); }
    QWidget* focusTarget() override { return focus; }
};

// Answers the next modal dialog with `act`, and fails the test (closing the dialog)
// instead of hanging when none comes.
void whenModal(std::function<void(QWidget*)> act) {
    auto* tries = new int(0);
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            delete tries;
            act(modal);
        } else if (++*tries > 300) {
            poll->stop();
            poll->deleteLater();
            delete tries;
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
    poll->start();
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        sim::PtyOptions o;
        o.linkPath = (dir.path() + "/adapter").toStdString();
        server = std::make_unique<sim::PtyServer>(network, o);
        ASSERT_TRUE(server->open(error)) << error;
        server->start();
        options.settingsPath = dir.path() + "/velmora.ini";
        options.portOverride = link::PortChoice{1, adapterPath()};
        options.portCheckMs = 100;
        options.hardwarePollMs = 40;
        options.timer1Ms = 30;
        options.closingGraceMs = 20;
        options.helpFile = dir.path() + "/Velmora.hlp";
    }
    void TearDown() override {
        window.reset();
        server->stop();
    }

    QString adapterPath() const { return dir.path() + "/adapter"; }

    void writeSettings(const QByteArray& text) {
        QFile f(options.settingsPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    // Creates, shows and activates the window; returns once the first activation ran.
    // `prepare` runs before the window shows (to plug in hooks).
    TFTerminal& start(const std::function<void(TFTerminal&)>& prepare = {}) {
        window = std::make_unique<TFTerminal>(options);
        window->setSystemActions(&seams);
        window->setToolActions(&seams);
        for (int i = 0; i < kModuleTabCount; ++i) {
            auto& tab = tabs[static_cast<size_t>(i)];
            tab.focus = window->moduleTab(i)->focusTarget();
            window->setModuleTab(i, &tab);
        }
        if (prepare) prepare(*window);
        QSignalSpy activated(window.get(), &TFTerminal::activated);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() > 0; }, 5000));
        return *window;
    }

    template <typename T>
    T* child(const char* name) {
        return window->findChild<T*>(name);
    }
    QAction* action(const char* name) { return child<QAction>(name); }

    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, static_cast<Qt::Key>(k), mods);
    }
    int mainPage() { return window->pages().pcChan->currentIndex(); }
    int moduleTab() { return window->pages().pcMon->currentIndex(); }
    QString panel(int n) { return window->statusPanels()->panelText(n); }

    QTemporaryDir dir;
    sim::ModuleNetwork network;
    std::unique_ptr<sim::PtyServer> server;
    TerminalOptions options;
    RecordingSeams seams;
    std::array<RecordingTab, kModuleTabCount> tabs;
    std::unique_ptr<TFTerminal> window;
};

}  // namespace

TEST_F(MainWindow, EmptySettingsFileGivesTheDefaults) {
    writeSettings("");
    TFTerminal& w = start();
    EXPECT_EQ(w.size(), QSize(500, 570));
    EXPECT_EQ(w.pos(), QPoint(100, 100));
    EXPECT_TRUE(action("mmAutoskan")->isChecked());
    EXPECT_FALSE(action("mmProt")->isChecked());
    EXPECT_TRUE(action("mmSpeed115200")->isChecked());
    EXPECT_EQ(w.systemSpeed(), 115200u);
    EXPECT_EQ(w.windowTitle(), "Velmora  v2.03");
    EXPECT_EQ(panel(0), "Адр Modbus: 00");
    EXPECT_TRUE(w.Comm().isOpen());
    EXPECT_EQ(w.portIcon(), 18);
    EXPECT_EQ(mainPage(), kSystemPage);
    EXPECT_EQ(moduleTab(), kIdentTab);
}

TEST_F(MainWindow, PortNumberTwoWithoutSettings) {
    options.portOverride.reset();
    writeSettings("[Comm]\nPath=" + adapterPath().toUtf8() + "\n");
    TFTerminal& w = start();
    EXPECT_EQ(w.Comm().choice().number, 2);
    EXPECT_TRUE(w.Comm().isOpen());
}

TEST_F(MainWindow, StartAdrFlashSelectsTheBottomAddressBox) {
    writeSettings("[System]\nstartAdrFlash=16384\n");
    TFTerminal& w = start();
    EXPECT_EQ(w.pages().cbBottomAdrFL->currentIndex(), 1);
    EXPECT_EQ(w.addresses.FlashBottom, 0x4000);
    EXPECT_EQ(w.pages().edAdrFL->text(), "4000");
    EXPECT_EQ(w.pages().sgFL->cellText(2, 0), "4010");
    window.reset();

    writeSettings("[System]\nstartAdrFlash=4096\n");
    TFTerminal& w2 = start();
    EXPECT_EQ(w2.pages().cbBottomAdrFL->currentIndex(), 0);  // as it was
    EXPECT_EQ(w2.addresses.FlashBottom, 0x1000);             // the value is used all the same
    EXPECT_EQ(w2.pages().edAdrFL->text(), "1000");
    EXPECT_EQ(w2.pages().sgFL->cellText(16, 0), "10F0");
}

TEST_F(MainWindow, GridsHaveTheirFixedCells) {
    TFTerminal& w = start();
    for (views::MemoryGrid* g : {w.pages().sgFL, w.pages().sgRAM, w.pages().sgEE}) {
        EXPECT_EQ(g->cellText(0, 0), "Адрес");
        EXPECT_EQ(g->cellText(0, 1), "00");
        EXPECT_EQ(g->cellText(0, 16), "0F");
        EXPECT_EQ(g->columnWidth(0), 64);
    }
    EXPECT_EQ(w.pages().sgRAM->cellText(1, 0), "000");
    EXPECT_EQ(w.pages().sgRAM->cellText(16, 0), "0F0");
    EXPECT_EQ(w.pages().sgFL->cellText(1, 0), "2000");
}

TEST_F(MainWindow, SettingsRoundTrip) {
    writeSettings(
        "[System]\nAutoSkan=0\nProt=1\nstartAdrFlash=16384\nsysSpeedModbus=19200\n"
        "HexDir=/srv/hex\n[Form]\nWidth=640\nHeight=480\nLeft=30\nTop=40\n");
    TFTerminal& w = start();
    EXPECT_FALSE(action("mmAutoskan")->isChecked());
    EXPECT_TRUE(action("mmProt")->isChecked());
    EXPECT_TRUE(action("mmSpeed19200")->isChecked());
    EXPECT_EQ(w.Comm().baud(), 19200u);
    EXPECT_EQ(w.size(), QSize(640, 480));
    EXPECT_EQ(w.hexDir(), "/srv/hex");
    action("mmSpeed57600")->trigger();
    action("mmAutoskan")->trigger();
    w.resize(700, 520);
    w.close();
    window.reset();

    TFTerminal& again = start();
    EXPECT_TRUE(action("mmAutoskan")->isChecked());
    EXPECT_TRUE(action("mmProt")->isChecked());
    EXPECT_TRUE(action("mmSpeed57600")->isChecked());
    EXPECT_EQ(again.systemSpeed(), 57600u);
    EXPECT_EQ(again.size(), QSize(700, 520));
    EXPECT_EQ(again.addresses.FlashBottom, 0x4000);
    EXPECT_EQ(again.hexDir(), "/srv/hex");
}

TEST_F(MainWindow, ClosingWritesTheSettingsAndKeepsTheSavedPort) {
    writeSettings("[Comm]\nNom=4\n; a comment of the user's\n");
    TFTerminal& w = start();
    EXPECT_EQ(w.Comm().devicePath(), adapterPath());  // --port for this run only
    w.close();
    QFile f(options.settingsPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.startsWith("[Comm]\r\nNom=4\r\n; a comment of the user's\r\nPath=\r\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("sysSpeedModbus=115200"));
    EXPECT_TRUE(text.contains("startAdrFlash=8192"));
    EXPECT_FALSE(QFile::exists(options.settingsPath + ".tmp"));
}

TEST_F(MainWindow, CloseDuringAScanIsDeferred) {
    TFTerminal& w = start();
    w.scan().SystemIdle = false;
    w.scan().ScanRunning = true;
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.scan().CloseRequested);
    EXPECT_FALSE(w.scan().ScanRunning);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Comm().isOpen());
}

TEST_F(MainWindow, MenusAsTheProgramHasThem) {
    TFTerminal& w = start();
    QStringList tops;
    for (QAction* a : w.menuBar()->actions()) tops << a->text();
    EXPECT_EQ(tops, (QStringList{"Файл", "Настройки", "Инструменты", "О программе"}));

    auto captions = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions()) out << (a->isSeparator() ? "-" : a->text());
        return out;
    };
    EXPECT_EQ(captions(w.menus().mmFile),
              (QStringList{"Сохранить конфигурацию", "Загрузить конфигурацию", "-",
                           "Сохранить данные как ...", "-", "Загрузить *.hex файл", "-",
                           "Загрузить *hex файл со смещением", "-", "Выход"}));
    EXPECT_EQ(captions(w.menus().mmSettings),
              (QStringList{"Comm порта", "Протокол обмена по Modbus", "Протокол системных операций",
                           "Системная скорость", "Автосканер", "Передача/прием CRC",
                           "Тип процессора", "-", "Запись из памяти", "Смещение FLASH"}));
    EXPECT_EQ(captions(w.menus().sys_Speed),
              (QStringList{"1200", "2400", "9600", "19200", "57600", "115200"}));
    EXPECT_EQ(captions(w.menus().mmCRC), (QStringList{"<мл байт><ст байт>", "<ст байт><мл байт>"}));
    EXPECT_EQ(captions(w.menus().mmTools),
              (QStringList{"Окно просмотра", "Тестовый генератор", "Терминал"}));
    EXPECT_EQ(captions(w.menus().pmProt),
              (QStringList{"Очистить", "-", "Создать команду", "Формат команды", "-",
                           "Окно просмотра", "Тестовый генератор"}));
    EXPECT_EQ(captions(w.menus().mmModul), (QStringList{"Добавить модуль на Modbus", "Версия"}));
    EXPECT_EQ(captions(w.menus().pmFlash),
              (QStringList{"Инициализировать модуль", "-", "Очистить Flash"}));
    EXPECT_EQ(captions(w.menus().pmRAM),
              (QStringList{"Инициализировать модуль", "-", "Просмотр переменной"}));

    for (const char* never : {"mmSaveConfig", "mmLoadConfig", "N11"})
        EXPECT_FALSE(action(never)->isEnabled()) << never;
    EXPECT_FALSE(action("mmLoadHex")->isEnabled());
    EXPECT_FALSE(action("mmRecHex")->isEnabled());
    EXPECT_TRUE(action("N2")->isEnabled());
    EXPECT_TRUE(action("mm_shiftFlash")->isEnabled());
    EXPECT_TRUE(action("mmProtSysOp")->isChecked());
    EXPECT_TRUE(action("mmCRC_lo")->isChecked());
    EXPECT_FALSE(action("mmCRC_hi")->isChecked());
    EXPECT_FALSE(w.menus().mmTools->menuAction()->isEnabled());
    EXPECT_FALSE(action("pmSys_ClFl")->isVisible());
}

TEST_F(MainWindow, CrcOrderClickInvertsBothMarks) {
    start();
    action("mmCRC_hi")->trigger();
    EXPECT_TRUE(action("mmCRC_hi")->isChecked());
    EXPECT_FALSE(action("mmCRC_lo")->isChecked());
    action("mmCRC_hi")->trigger();
    EXPECT_FALSE(action("mmCRC_hi")->isChecked());
    EXPECT_TRUE(action("mmCRC_lo")->isChecked());
}

TEST_F(MainWindow, SpeedSetterTurnsOtherSpeedsInto115200) {
    TFTerminal& w = start();
    action("mmSpeed9600")->trigger();
    EXPECT_EQ(w.Comm().baud(), 9600u);
    w.setSystemSpeed(4800);
    EXPECT_TRUE(action("mmSpeed115200")->isChecked());
    EXPECT_FALSE(action("mmSpeed9600")->isChecked());
    EXPECT_EQ(w.Comm().baud(), 115200u);
    EXPECT_EQ(w.systemSpeed(), 115200u);
}

TEST_F(MainWindow, SpeedMenuRefreshFollowsThePort) {
    TFTerminal& w = start();
    w.Comm().setBaud(19200);
    w.refreshSpeedMenu();
    EXPECT_TRUE(action("mmSpeed19200")->isChecked());
    EXPECT_FALSE(action("mmSpeed115200")->isChecked());
    w.Comm().setBaud(2400);
    w.refreshSpeedMenu();
    for (const char* name : {"mmSpeed9600", "mmSpeed19200", "mmSpeed57600", "mmSpeed115200"})
        EXPECT_FALSE(action(name)->isChecked()) << name;
}

TEST_F(MainWindow, ModulePageWithNothingSelectedKeepsThePreviousPage) {
    TFTerminal& w = start();
    w.pages().pcChan->setCurrentIndex(kTerminalPage);
    EXPECT_EQ(mainPage(), kTerminalPage);
    EXPECT_TRUE(w.menus().mmTools->menuAction()->isEnabled());
    w.pages().pcChan->setCurrentIndex(kModulePage);
    EXPECT_EQ(mainPage(), kTerminalPage);
    w.pages().pcChan->setCurrentIndex(kSystemPage);
    EXPECT_FALSE(w.menus().mmTools->menuAction()->isEnabled());
}

TEST_F(MainWindow, ModulePageReadsTheShownTab) {
    TFTerminal& w = start();
    QStringList reads;
    tabs[kIdentTab].onRead = [&] { reads << "id"; };
    tabs[kFlashTab].onRead = [&] { reads << "flash"; };
    tabs[kRamTab].onRead = [&] { reads << "ram"; };
    w.setHexLoadingAvailable(true);
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    EXPECT_EQ(mainPage(), kModulePage);
    w.pages().pcMon->setCurrentIndex(kFlashTab);
    EXPECT_TRUE(action("mmLoadHex")->isEnabled());
    EXPECT_TRUE(action("pmSys_ClFl")->isVisible());
    w.pages().pcMon->setCurrentIndex(kRamTab);
    EXPECT_FALSE(action("mmLoadHex_Shift")->isEnabled());
    EXPECT_FALSE(action("pmSys_ClFl")->isVisible());
    EXPECT_EQ(reads, (QStringList{"id", "flash", "ram"}));
}

TEST_F(MainWindow, AutoRefreshLocksTabClicksButNotTheKeys) {
    TFTerminal& w = start();
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    w.pages().pcMon->setCurrentIndex(kRamTab);
    w.pages().cbAutoApDateRAM->setChecked(true);
    w.pages().pcChan->setCurrentIndex(kSystemPage);
    EXPECT_EQ(mainPage(), kModulePage);
    w.pages().pcMon->setCurrentIndex(kEepromTab);
    EXPECT_EQ(moduleTab(), kRamTab);
    key(Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kEepromTab);
    key(Qt::Key_F7);
    EXPECT_EQ(mainPage(), kTerminalPage);
    key(Qt::Key_F5);
    EXPECT_EQ(mainPage(), kSystemPage);
    key(Qt::Key_F6);
    EXPECT_EQ(mainPage(), kModulePage);
}

TEST_F(MainWindow, ScanRunningRefusesMainTabClicks) {
    TFTerminal& w = start();
    w.scan().SystemIdle = false;
    w.pages().pcChan->setCurrentIndex(kTerminalPage);
    EXPECT_EQ(mainPage(), kSystemPage);
    w.scan().SystemIdle = true;
}

TEST_F(MainWindow, F6OnTheSystemPageNeedsASelection) {
    TFTerminal& w = start();
    key(Qt::Key_F6);
    EXPECT_EQ(mainPage(), kSystemPage);
    w.pages().pcChan->setCurrentIndex(kTerminalPage);
    key(Qt::Key_F6);
    EXPECT_EQ(mainPage(), kModulePage);
    key(Qt::Key_F5);
    EXPECT_EQ(mainPage(), kSystemPage);
    key(Qt::Key_F7);
    EXPECT_EQ(mainPage(), kSystemPage);
    w.module().SelectionLevel = 2;
    key(Qt::Key_F7);
    EXPECT_EQ(mainPage(), kTerminalPage);
}

TEST_F(MainWindow, ShiftKeysSwitchModuleTabs) {
    TFTerminal& w = start();
    QStringList reads;
    tabs[kSfrTab].onRead = [&] { reads << "sfr"; };
    tabs[kEepromTab].onRead = [&] { reads << "ee"; };
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    key(Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kSfrTab);
    key(Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kEepromTab);
    key(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kFlashTab);
    key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(moduleTab(), kIdentTab);
    EXPECT_EQ(reads, (QStringList{"sfr", "ee"}));
    // Shift with Ctrl is not "Shift"
    key(Qt::Key_F9, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(moduleTab(), kIdentTab);
}

TEST_F(MainWindow, OtherKeysGoToTheModuleTab) {
    TFTerminal& w = start();
    std::vector<std::pair<int, int>> seen;
    for (int tab = 0; tab < kModuleTabCount; ++tab)
        tabs[static_cast<size_t>(tab)].onKey = [&seen, tab](QKeyEvent* e) {
            seen.emplace_back(tab, e->key());
            return true;
        };
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    w.pages().pcMon->setCurrentIndex(kFlashTab);
    key(Qt::Key_PageDown);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0],
              std::make_pair(static_cast<int>(kFlashTab), static_cast<int>(Qt::Key_PageDown)));
}

TEST_F(MainWindow, EscapeStopsAVisibleScan) {
    TFTerminal& w = start();
    int stops = 0;
    seams.onStopScan = [&] { ++stops; };
    key(Qt::Key_Escape);
    EXPECT_EQ(stops, 0);
    w.pages().pSkan->show();
    key(Qt::Key_Escape);
    EXPECT_EQ(stops, 1);
}

TEST_F(MainWindow, Timer1OpensTheIdentifierTab) {
    TFTerminal& w = start();
    int reads = 0;
    tabs[kIdentTab].onRead = [&] { ++reads; };
    w.module().SelectionLevel = 1;
    w.pages().pSkan->show();
    w.startTimer1();
    QTest::qWait(100);
    EXPECT_EQ(mainPage(), kSystemPage);  // nothing while the scan panel shows
    w.pages().pSkan->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads == 1; }, 3000));
    EXPECT_FALSE(w.timer1().isActive());
    EXPECT_EQ(mainPage(), kModulePage);
    EXPECT_EQ(moduleTab(), kIdentTab);
}

TEST_F(MainWindow, HelpFileOnF1) {
    TFTerminal& w = start();
    key(Qt::Key_F1);  // no file: nothing
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QFile f(options.helpFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(utf8ToCp1251("Справка\r\nF5 - Система\r\n")));
    f.close();
    QStringList shown;
    whenModal([&](QWidget* modal) {
        auto* help = qobject_cast<TFHelp*>(modal);
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->windowTitle(), "Помощь");
        for (int i = 0; i < help->list->count(); ++i) shown << help->list->item(i)->text();
        QTest::keyClick(help, Qt::Key_Escape);
    });
    key(Qt::Key_F1);
    EXPECT_EQ(shown, (QStringList{"Справка", "F5 - Система"}));
    (void)w;
}

TEST_F(MainWindow, AboutBoxShowsTheBuildsVersion) {
    EXPECT_EQ(fileVersionText(0x00020003, 0x00040005), "2.3.4.5");
    start();
    TFAboutBox* about = child<TFAboutBox>("TFAboutBox");
    ASSERT_NE(about, nullptr);
    whenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    about->exec();
    EXPECT_EQ(about->windowTitle(), "О программе");
    EXPECT_TRUE(about->productName->text().startsWith("Наименование : Velmora"));
    EXPECT_TRUE(about->version->text().startsWith("Версия : 2."));
    EXPECT_TRUE(about->company->text().startsWith("Разработчик : "));
}

TEST_F(MainWindow, CancelInThePortDialogClosesThePort) {
    TFTerminal& w = start();
    QString message;
    whenModal([&](QWidget* dialog) {
        auto* select = qobject_cast<TFselectComm*>(dialog);
        ASSERT_NE(select, nullptr);
        EXPECT_EQ(select->windowTitle(), "Выбор номера Comm порта");
        whenModal([&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        select->Button2->click();
    });
    w.mmNomCommClick();
    EXPECT_EQ(message, "Comm порт не активирован");
    EXPECT_FALSE(w.Comm().isOpen());
    EXPECT_EQ(w.portIcon(), 17);
    // sending on the closed port does nothing; the transaction times out
    EXPECT_EQ(w.trans_Action(1, link::rdRAM, 0, 1, 0, 1), 31);
    EXPECT_EQ(panel(2), "Контроллер не ответил");
}

TEST_F(MainWindow, CloseInThePortDialogOpensTheChosenPort) {
    TFTerminal& w = start();
    w.Comm().close();
    w.linkState().PortLost = true;
    whenModal([&](QWidget* dialog) {
        auto* select = static_cast<TFselectComm*>(dialog);
        select->DB1->setEditText(adapterPath());
        select->Button1->click();
    });
    w.mmNomCommClick();
    EXPECT_TRUE(w.Comm().isOpen());
    EXPECT_FALSE(w.linkState().PortLost);
    EXPECT_EQ(w.portIcon(), 18);
    EXPECT_EQ(w.trans_Action(1, link::rdRAM, 0x50, 4, 0, 1), 0);
}

TEST_F(MainWindow, StartWithAPortThatFailsShowsTheDialog) {
    options.portOverride = link::PortChoice{1, dir.path() + "/missing"};
    int scans = 0;
    bool dialogSeen = false;
    whenModal([&](QWidget* dialog) {
        dialogSeen = qobject_cast<TFselectComm*>(dialog) != nullptr;
        auto* select = static_cast<TFselectComm*>(dialog);
        select->DB1->setEditText(adapterPath());
        select->Button1->click();
    });
    start([&](TFTerminal& w) { seams.onBusScan = [&] { ++scans; }; });
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(window->Comm().isOpen());
    EXPECT_EQ(scans, 1);  // the dialog opened the port, so the scan runs
}

TEST_F(MainWindow, UnpluggedAndPluggedAgain) {
    TFTerminal& w = start();
    QStringList messages;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QString now = panel(2);
        if (messages.isEmpty() || messages.back() != now) messages << now;
    });
    watch.start(5);
    server->requestUnplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.contains("Comm порт отключен"); }, 5000));
    EXPECT_FALSE(w.Comm().isOpen());
    EXPECT_EQ(w.portIcon(), 17);
    EXPECT_TRUE(w.scanCommTimer().isActive());
    server->requestPlug();
    // Plugging in is a device change as well: the port may be closed once more and
    // reopened by the next check. Wait until that has settled.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return messages.lastIndexOf("В системе смена оборудования") >
                       messages.lastIndexOf("Comm порт отключен") &&
                   !w.scanCommTimer().isActive() && w.Comm().isOpen() && panel(2).isEmpty();
        },
        5000));
    watch.stop();
    EXPECT_TRUE(w.Comm().isOpen());
    EXPECT_EQ(w.portIcon(), 18);
    EXPECT_EQ(panel(2), "");
    int changed = static_cast<int>(messages.indexOf("В системе смена оборудования"));
    int lost = static_cast<int>(messages.indexOf("Comm порт отключен"));
    ASSERT_GE(changed, 0);
    EXPECT_LT(changed, lost);
    EXPECT_EQ(w.trans_Action(1, link::rdRAM, 0x50, 4, 0, 1), 0);
}

TEST_F(MainWindow, DeviceChangeDuringATransactionEndsItWithNoReply) {
    // The reply comes at 400 ms; the port is closed at 50 ms and reopened by the check
    // a second later, long after the 620 ms limit at 9600 bit/s.
    options.portCheckMs = 1000;
    TFTerminal& w = start();
    w.Comm().setBaud(9600);  // a long limit
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan late;
        late.lateMs = 400;
        network.setFaults(late);
    }
    QTimer::singleShot(50, &w, [&w] { w.postWindowMessage(kMsgDeviceChange); });
    EXPECT_EQ(w.trans_Action(1, link::rdRAM, 0x50, 4, 0, 1), 31);
    EXPECT_FALSE(w.Comm().isOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Comm().isOpen(); }, 3000));
    EXPECT_EQ(w.portIcon(), 18);
}

TEST_F(MainWindow, ExchangesAreLoggedWhileProtocolIsChecked) {
    TFTerminal& w = start();
    EXPECT_EQ(w.trans_Action(1, link::rdRAM, 0x50, 4, 0, 1), 0);
    EXPECT_EQ(w.pages().reProt->lineCount(), 0);
    action("mmProt")->trigger();
    EXPECT_EQ(w.trans_Action(1, link::rdRAM, 0x50, 4, 0, 1), 0);
    ASSERT_EQ(w.pages().reProt->lineCount(), 2);
    EXPECT_EQ(w.pages().reProt->lineText(0), "Send>01 70 00 50 04 3E C3 ");
    EXPECT_EQ(w.pages().reProt->lineText(1), "<Res 01 70 00 50 04 00 00 00 01 3C 14 ");
    action("mmClear")->trigger();
    EXPECT_EQ(w.pages().reProt->lineCount(), 0);
}

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

TEST_F(MainWindow, NoScanWhenTheDialogLeavesThePortClosed) {
    options.portOverride = link::PortChoice{1, dir.path() + "/missing"};
    int scans = 0, loads = 0;
    whenModal([&](QWidget* dialog) {
        whenModal([](QWidget* box) { static_cast<QMessageBox*>(box)->accept(); });
        static_cast<TFselectComm*>(dialog)->Button2->click();
    });
    start([&](TFTerminal& w) {
        seams.onBusScan = [&] { ++scans; };
        seams.onLoadConfiguration = [&] { ++loads; };
    });
    EXPECT_FALSE(window->Comm().isOpen());
    EXPECT_EQ(window->portIcon(), 17);
    EXPECT_EQ(scans + loads, 0);
}

TEST_F(MainWindow, WithoutAutoScanTheConfigurationIsLoaded) {
    writeSettings("[System]\nAutoSkan=0\n");
    int scans = 0, loads = 0;
    start([&](TFTerminal& w) {
        seams.onBusScan = [&] { ++scans; };
        seams.onLoadConfiguration = [&] { ++loads; };
    });
    EXPECT_EQ(scans, 0);
    EXPECT_EQ(loads, 1);
}

TEST_F(MainWindow, ClosingStopsTheAutomaticRefreshFirst) {
    TFTerminal& w = start();
    int refreshes = 0;
    tabs[kRamTab].onRefresh = [&] { ++refreshes; };
    w.module().SelectionLevel = 1;
    w.pages().pcChan->setCurrentIndex(kModulePage);
    w.pages().pcMon->setCurrentIndex(kRamTab);
    w.pages().cbAutoApDateRAM->setChecked(true);
    w.tmUpDate().start(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshes > 0; }, 2000));
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.tmUpDate().isActive());
    EXPECT_FALSE(w.pages().cbAutoApDateRAM->isChecked());
    EXPECT_TRUE(QFile::exists(options.settingsPath));
}

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

TEST(StatusPanelsDrawing, AddressesInBlueAndRedExceptDuringAScan) {
    StatusPanels bar;
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

TEST_F(MainWindow, Timer1WaitsForTheTransactionInFlight) {
    TFTerminal& w = start();
    int reads = 0;
    tabs[kIdentTab].onRead = [&] { ++reads; };
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan late;
        late.lateMs = 150;  // well inside the 200 ms limit
        network.setFaults(late);
    }
    w.Comm().setBaud(9600);  // a 600 ms limit: the late reply is in time by far
    w.module().SelectionLevel = 1;
    w.startTimer1();  // ticks every 30 ms, during the wait below
    EXPECT_EQ(w.trans_Action(1, link::rdRAM, 0x50, 4, 0, 1), 0);
    EXPECT_EQ(reads, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads == 1; }, 3000));
    EXPECT_EQ(mainPage(), kModulePage);
}

TEST_F(MainWindow, AboutOpensFromTheMenuTitle) {
    TFTerminal& w = start();
    QString title;
    whenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        static_cast<QDialog*>(modal)->accept();
    });
    w.menus().N17->popup(w.mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !title.isEmpty(); }, 3000));
    EXPECT_EQ(title, "О программе");
    EXPECT_FALSE(w.menus().N17->isVisible());
}

TEST_F(MainWindow, ClosedBeforeStartingLeavesTheSettingsAlone) {
    writeSettings("[Form]\nWidth=900\n");
    window = std::make_unique<TFTerminal>(options);
    window->close();
    QFile f(options.settingsPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[Form]\nWidth=900\n"));
}

TEST_F(MainWindow, PortDialogWaitsForTheReplyInFlight) {
    TFTerminal& w = start();
    w.Comm().setBaud(9600);  // 600 ms limit
    {
        auto lock = server->lockNetwork();
        sim::FaultPlan late;
        late.lateMs = 150;
        network.setFaults(late);
    }
    bool dialogDuringWait = false;
    bool waiting = true;
    bool answered = false;
    whenModal([&](QWidget* dialog) {
        dialogDuringWait = waiting;
        answered = true;
        auto* select = static_cast<TFselectComm*>(dialog);
        select->Button1->click();
    });
    QTimer::singleShot(20, &w, [&w] { w.menus().mmNomComm->trigger(); });
    EXPECT_EQ(w.trans_Action(1, link::rdRAM, 0x50, 4, 0, 1), 0);
    waiting = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 3000));
    EXPECT_FALSE(dialogDuringWait);
    EXPECT_TRUE(w.Comm().isOpen());
}
