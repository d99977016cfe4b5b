// The identifier tab in the window, offscreen, against the simulated network on a
// pseudo-terminal: the list and its colours, the automatic refresh and what it locks,
// and the link-parameter editor with its key filter and its refusals.

#include <QListWidget>
#include <QMessageBox>

#include "link/OperationKind.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

const QColor kSilver(192, 192, 192);

class IdentTabTest : public WindowFixture {
protected:
    void SetUp() override {
        // Node 07's fields 14 to 17 are on list lines 16 to 19; line 16 reads 57600.
        // Its EEPROM holds 57600's code 2A at FD and Modbus address 07 at FF.
        std::string error;
        ASSERT_TRUE(
            sim::loadConfig("node 07\n"
                            "id T|V|1.0|d|s|m|m|e|w|p|f|c|115200|07|57600|FF|20|40\n"
                            "ee 0FC 00 2A 00 07\n",
                            network, error))
            << error;
        WindowFixture::SetUp();
    }

    TFTerminal& open(uint8_t cid, uint8_t slave, uint8_t level) {
        TFTerminal& w = start([this](TFTerminal& t) {
            t.setModuleTab(kIdentTab, &t.identTab());
            t.identTab().setNamesFile(inDir("titleId.dat").toStdString());
        });
        w.module().select(cid, slave, level);
        w.showMainPageQuietly(kModulePage);
        w.showModuleTabQuietly(kIdentTab);
        w.pcMonChange();
        return w;
    }
    QListWidget* list() { return window->pages().lbIdMod; }
    QString line(int i) { return list()->item(i)->text(); }
    QColor colour(int i) { return list()->item(i)->foreground().color(); }
    void doubleClick(int row) {
        ASSERT_TRUE(list()->item(row)) << row;
        list()->scrollToItem(list()->item(row));
        const QPoint at = list()->visualItemRect(list()->item(row)).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    }
    uint8_t eeprom(uint8_t cid, uint16_t address) {
        uint8_t reply[1] = {};
        EXPECT_EQ(window->engine().transact({cid, link::rdEE, address, 1, 0, 3}, {}, reply).code,
                  0);
        return reply[0];
    }
};

}  // namespace

TEST_F(IdentTabTest, ANodesIdentifierInNormalColours) {
    open(0x01, 0, 1);
    ASSERT_EQ(list()->count(), 18);
    EXPECT_EQ(line(0), "          ********** Идентификатор модуля **********");
    EXPECT_EQ(line(1), "");
    EXPECT_EQ(line(2), QString(9, ' ') + "                  Тип:   ПЛК-18 узел");
    EXPECT_EQ(line(14), QString(9, ' ') + "Скорость обмена бит/с:   115200");
    EXPECT_EQ(colour(0), QColor(0, 0, 255));
    EXPECT_NE(colour(2), kSilver);
    EXPECT_EQ(panel(2), "");
}

TEST_F(IdentTabTest, ASubModuleThroughI2cAndANamesFile) {
    QFile names(inDir("titleId.dat"));
    ASSERT_TRUE(names.open(QIODevice::WriteOnly));
    names.write("\xC8\xEC\xFF:\r\n\xC2\xE8\xE4:\r\n");  // "Имя:", "Вид:" in Windows-1251
    names.close();
    open(0x01, 0x10, 2);
    EXPECT_EQ(line(2), QString(28, ' ') + "Имя:  Модуль входов");
    EXPECT_EQ(line(3), QString(28, ' ') + "Вид:  16DI");
    EXPECT_EQ(line(4), QString(11, ' ') + "Неизвестный параметр:  1.10");
}

TEST_F(IdentTabTest, AFailedReadShowsNoDataInSilver) {
    open(0x05, 0, 1);
    ASSERT_EQ(list()->count(), 18);
    EXPECT_EQ(line(17), QString(9, ' ') + "               Вектор: Нет данных");
    EXPECT_EQ(colour(0), QColor(0, 0, 255));
    EXPECT_EQ(colour(17), kSilver);
    EXPECT_EQ(panel(2), "Ошибка 31 чтения идентификатора");
}

TEST_F(IdentTabTest, AutoRefreshLocksWhatItMustAndRereads) {
    TFTerminal& w = open(0x01, 0, 1);
    MainPages& p = w.pages();
    w.menus().pmSys_InitModul->setEnabled(true);  // as the system model leaves it
    p.cbPapId->setCurrentIndex(2);                // "  5 сек"
    p.cbAutoApDateId->setChecked(true);
    EXPECT_TRUE(w.tmUpDate().isActive());
    EXPECT_EQ(w.tmUpDate().interval(), 5000);
    for (QWidget* c : {static_cast<QWidget*>(p.sbUpDateId), static_cast<QWidget*>(p.cbPapId)})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_FALSE(w.menus().mmFile->menuAction()->isEnabled());
    EXPECT_FALSE(w.menus().mmSettings->menuAction()->isEnabled());
    EXPECT_FALSE(w.menus().pmSys_InitModul->isEnabled());
    EXPECT_FALSE(w.menus().N14->isEnabled());
    p.pcMon->setCurrentIndex(kRamTab);
    EXPECT_EQ(moduleTab(), kIdentTab);

    // A tick re-reads the tab.
    w.tmUpDate().setInterval(50);
    list()->item(2)->setText("stale");
    EXPECT_TRUE(QTest::qWaitFor([&] { return line(2).endsWith("ПЛК-18 узел"); }, 3000));

    p.cbAutoApDateId->setChecked(false);
    EXPECT_FALSE(w.tmUpDate().isActive());
    EXPECT_TRUE(p.sbUpDateId->isEnabled());
    EXPECT_TRUE(p.cbPapId->isEnabled());
    EXPECT_TRUE(w.menus().mmFile->menuAction()->isEnabled());
    EXPECT_TRUE(w.menus().mmSettings->menuAction()->isEnabled());
    EXPECT_TRUE(w.menus().pmSys_InitModul->isEnabled());
    EXPECT_FALSE(w.menus().N14->isEnabled());  // it was disabled before
}

TEST_F(IdentTabTest, TheRefreshButtonRereads) {
    open(0x01, 0, 1);
    list()->item(2)->setText("stale");
    QTest::mouseClick(window->pages().sbUpDateId, Qt::LeftButton);
    EXPECT_TRUE(line(2).endsWith("ПЛК-18 узел"));
}

TEST_F(IdentTabTest, SpeedLineOpensWithItsSpeedAndWritesItsCode) {
    open(0x07, 0, 1);
    ASSERT_EQ(line(16), QString(9, ' ') + "            Адрес i2c:   57600");
    QString label, chosen;
    whenModal([&](QWidget* dialog) {
        auto* ed = qobject_cast<system::TFEditParMod*>(dialog);
        ASSERT_TRUE(ed);
        label = ed->lbName->text();
        chosen = ed->cbSpeed->currentText();
        EXPECT_FALSE(ed->edPar->isVisible());
        ed->cbSpeed->setCurrentIndex(3);
        QTest::mouseClick(ed->btnWrite, Qt::LeftButton);
    });
    doubleClick(16);
    EXPECT_EQ(label, "Скорость обмена бит/с: ");
    EXPECT_EQ(chosen, "  57600");
    EXPECT_EQ(eeprom(0x07, 0xFD), 0x15);
    EXPECT_EQ(list()->currentRow(), 16);
}

TEST_F(IdentTabTest, TheValueFieldTakesHexDigitsOnly) {
    open(0x07, 0, 1);
    QString prefilled, typed;
    whenModal([&](QWidget* dialog) {
        auto* ed = static_cast<system::TFEditParMod*>(dialog);
        prefilled = ed->edPar->text();
        ed->edPar->clear();
        QTest::keyClicks(ed->edPar, "g-1 x");
        QTest::keyClicks(ed->edPar, "a");
        typed = ed->edPar->text();
        QTest::mouseClick(ed->btnWrite, Qt::LeftButton);
    });
    // Enter on the selected line edits it as a double click does.
    list()->setCurrentRow(17);
    list()->setFocus();
    key(Qt::Key_Return);
    EXPECT_EQ(prefilled, "FF");
    EXPECT_EQ(typed, "1A");
    EXPECT_EQ(eeprom(0x07, 0xFF), 0x1A);
}

TEST_F(IdentTabTest, RefusedValuesWriteNothing) {
    open(0x07, 0, 1);
    const struct {
        int row;
        const char* text;
    } cases[] = {{17, "00"}, {18, ""}};
    for (auto c : cases) {
        QString message;
        whenModal([&](QWidget* dialog) {
            auto* ed = static_cast<system::TFEditParMod*>(dialog);
            ed->edPar->setText(c.text);
            whenModal([&](QWidget* box) {
                message = static_cast<QMessageBox*>(box)->text();
                box->close();
            });
            QTest::mouseClick(ed->btnWrite, Qt::LeftButton);
        });
        doubleClick(c.row);
        EXPECT_FALSE(message.isEmpty()) << c.row;
    }
    EXPECT_EQ(eeprom(0x07, 0xFF), 0x07);
    EXPECT_EQ(eeprom(0x07, 0xFE), 0x00);
}

TEST_F(IdentTabTest, AFailedWriteSaysSo) {
    TFTerminal& w = open(0x07, 0, 1);
    w.module().select(0x09, 0, 1);  // the list still shows node 07; node 09 is not there
    QString message;
    whenModal([&](QWidget* dialog) {
        auto* ed = static_cast<system::TFEditParMod*>(dialog);
        whenModal([&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            box->close();
        });
        QTest::mouseClick(ed->btnWrite, Qt::LeftButton);
    });
    doubleClick(19);
    EXPECT_EQ(message, "Ошибка чтения EEPROM");
}

TEST_F(IdentTabTest, ASubModulesLinesAreNotTheNodesToEdit) {
    open(0x01, 0x10, 2);
    doubleClick(16);
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(IdentTabTest, TheEditorIsMadeWhenTheTabIsFirstWantedAndThenKept) {
    asTheProgramStarts = true;
    start();
    const auto editors = [&] {
        return window->findChildren<system::TFEditParMod*>(Qt::FindDirectChildrenOnly).size();
    };
    // The window opened on the System page: neither the Ident tab nor its editor exists.
    EXPECT_EQ(editors(), 0);
    EXPECT_FALSE(window->modulePageBuilt());
    system::IdentTab& tab = window->identTab();
    EXPECT_TRUE(window->modulePageBuilt());
    EXPECT_EQ(editors(), 1);
    system::TFEditParMod* editor = window->editParMod();
    EXPECT_EQ(editor->windowTitle(), "Изменение параметра модуля");
    EXPECT_EQ(&window->identTab(), &tab);
    EXPECT_EQ(window->editParMod(), editor);
    EXPECT_EQ(editors(), 1);
}
