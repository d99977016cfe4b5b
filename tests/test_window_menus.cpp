// The main window offscreen: the menus, the speed, help and the about box.

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
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
#include "firmware/gui/TFClear_FL.h"
#include "firmware/gui/TFshiftFlash.h"
#include "system/gui/TFEditParMod.h"
#include "system/gui/TFHandSetConfig.h"
#include "views/gui/TFShowVar.h"
#include "common/Cp1251.h"
#include "link/OperationKind.h"
#include "sim/PtyServer.h"
#include "sim/SimConfig.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;

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
                           "Загрузить *hex файл со смещением",
                           "Сохранить прошивку модуля в *.hex файл", "-", "Выход"}));
    EXPECT_EQ(captions(w.menus().mmSettings),
              (QStringList{"Comm порта", "Аппаратное управление потоком (RTS/CTS)",
                           "Протокол обмена по Modbus", "Протокол системных операций",
                           "Время в протоколе", "Системная скорость", "Автосканер",
                           "Диапазон сканирования...", "Передача/прием CRC",
                           "Тип процессора", "-", "Запись из памяти", "Смещение FLASH",
                           "Проверять после записи"}));
    EXPECT_EQ(captions(w.menus().sys_Speed),
              (QStringList{"1200", "2400", "9600", "19200", "57600", "115200"}));
    EXPECT_EQ(captions(w.menus().mmCRC), (QStringList{"<мл байт><ст байт>", "<ст байт><мл байт>"}));
    EXPECT_EQ(captions(w.menus().mmTools),
              (QStringList{"Окно просмотра", "Тестовый генератор", "Терминал"}));
    EXPECT_EQ(captions(w.menus().pmProt),
              (QStringList{"Очистить", "Сохранить протокол", "-", "Создать команду",
                           "Формат команды", "Загрузить набор команд", "Разобрать кадр", "-",
                           "Окно просмотра",
                           "Тестовый генератор"}));
    EXPECT_EQ(captions(w.menus().mmModul), (QStringList{"Добавить модуль на Modbus", "Версия"}));
    EXPECT_EQ(captions(w.menus().pmFlash),
              (QStringList{"Инициализировать модуль", "-", "Очистить Flash"}));
    EXPECT_EQ(captions(w.menus().pmRAM),
              (QStringList{"Инициализировать модуль", "-", "Просмотр переменной"}));

    for (const char* never : {"mmSaveConfig", "mmLoadConfig", "N11"})
        EXPECT_FALSE(action(never)->isEnabled()) << never;
    EXPECT_FALSE(action("mmLoadHex")->isEnabled());  // only on the Flash tab
    EXPECT_FALSE(action("mmVerifyAfterWrite")->isChecked());
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
        // To the dialog's focus widget, where the platform sends the key.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    key(Qt::Key_F1);
    EXPECT_EQ(shown, (QStringList{"Справка", "F5 - Система"}));
    (void)w;
}

TEST_F(MainWindow, AboutBoxShowsTheBuildsVersion) {
    EXPECT_EQ(fileVersionText(0x00020003, 0x00040005), "2.3.4.5");
    TFTerminal& w = start();
    // Made when first opened, not at start.
    EXPECT_EQ(child<TFAboutBox>("TFAboutBox"), nullptr);
    whenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    w.menus().N17->popup(w.mapToGlobal(QPoint(10, 10)));
    TFAboutBox* about = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (about = child<TFAboutBox>("TFAboutBox")) != nullptr; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !about->isVisible(); }, 3000));
    EXPECT_EQ(about->windowTitle(), "О программе");
    EXPECT_TRUE(about->productName->text().startsWith("Наименование : Velmora"));
    EXPECT_TRUE(about->version->text().startsWith("Версия : 2."));
    EXPECT_TRUE(about->company->text().startsWith("Разработчик : "));
    // Each line whole, in Russian, inside the box.
    for (QLabel* line : {about->productName, about->version, about->company}) {
        const QRect needed = line->fontMetrics().boundingRect(
            QRect(0, 0, line->width(), 1000), Qt::TextWordWrap, line->text());
        EXPECT_LE(needed.height(), line->height()) << line->text().toStdString();
        EXPECT_LE(needed.width(), line->width()) << line->text().toStdString();
        EXPECT_TRUE(about->rect().contains(line->geometry())) << line->text().toStdString();
    }
    EXPECT_TRUE(about->productName->text().contains("терминал"));
}

// A window manager draws the caption in its bold title font beside an icon and a few
// buttons; a dialog narrower than that shows "Выбор н… порта".
TEST_F(MainWindow, EveryDialogIsWideEnoughForItsCaption) {
    TFTerminal& w = start();
    firmware::TFshiftFlash shift(&w);
    firmware::TFClear_FL erase(&w);
    QWidget* dialogs[] = {w.selectComm(), w.editParMod(), w.handSetConfig(), w.showVar(), &shift, &erase};
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    for (QWidget* d : dialogs) {
        d->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
        const QString caption = d->windowTitle().trimmed();
        EXPECT_GE(d->width(), metrics.horizontalAdvance(caption) + 3 * metrics.height())
            << caption.toStdString();
        d->hide();
    }
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
