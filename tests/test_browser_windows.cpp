// The two variable browsers in the main window offscreen, against the simulated network
// on a pseudo-terminal: opening, the editor's refusals, passes and message 1124.

#include <QMessageBox>

#include "tests/support/WindowFixture.h"
#include "tools/gui/BrowserWindows.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;

namespace {

void fill(tools::TFEditBrow* e, const char* cid, const char* slave, const char* count,
          const char* address) {
    e->edCID->setText(cid);
    e->edSlave->setText(slave);
    e->edKol->setText(count);
    e->edAdr->setText(address);
}

// Controls that show no text of their own carry a name for screen readers.
void expectNamedControls(QWidget* top) {
    for (QWidget* c : top->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractSpinBox*>(c->parentWidget())) continue;  // the box's own edit
        if (qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractSpinBox*>(c) ||
            qobject_cast<QListWidget*>(c) || qobject_cast<QStatusBar*>(c))
            EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
        // Words, not the control's own name, which a screen reader would spell out.
        if (!c->objectName().isEmpty())
            EXPECT_NE(c->accessibleName(), c->objectName()) << c->objectName().toStdString();
    }
}

}  // namespace

TEST_F(MainWindow, VariableBrowserReadsBesideTheWindowAndGoesOnMessage1124) {
    std::unique_ptr<tools::BrowserWindows> browsers;
    TFTerminal& w = start([&](TFTerminal& t) { browsers = std::make_unique<tools::BrowserWindows>(t); });
    ASSERT_TRUE(w.menus().Browser1->isEnabled());
    w.menus().Browser1->trigger();
    tools::TFBrowser* b = browsers->browser();
    ASSERT_TRUE(b);
    EXPECT_FALSE(w.menus().Browser1->isEnabled());
    EXPECT_TRUE(b->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(b->isModal());
    auto* editor = b->parentWidget()->findChild<tools::TFEditBrow*>();
    ASSERT_TRUE(editor);
    expectNamedControls(b);
    expectNamedControls(editor);

    // Text that is not hexadecimal is refused with a message; the editor stays open.
    bool refusedAndStillOpen = false;
    whenModal([&](QWidget* m) {
        auto* e = qobject_cast<tools::TFEditBrow*>(m);
        ASSERT_TRUE(e);
        fill(e, "0G", "", "", "050");
        whenModal([&, e](QWidget* box) {
            auto* mb = qobject_cast<QMessageBox*>(box);
            EXPECT_TRUE(mb && mb->text() == "Адрес на Modbus - шестнадцатеричное число 01..FF");
            box->close();
            QTimer::singleShot(0, [&, e] {
                refusedAndStillOpen = e->isVisible();
                fill(e, "01", "", "4", "050");
                e->btnRec->click();
            });
        });
        e->btnRec->click();
    });
    b->addClick();
    EXPECT_TRUE(refusedAndStillOpen);
    ASSERT_EQ(b->list().lines(), (std::vector<std::string>{"Mod>01 050/04="}));

    b->spPeriod->setValue(500);
    b->bbGEN->click();
    EXPECT_EQ(b->bbGEN->text(), "Стоп");
    // The built-in node 01 holds 00 00 00 01 at RAM 050.
    EXPECT_TRUE(QTest::qWaitFor([&] { return b->reBrow->count() == 2; }, 5000));
    EXPECT_EQ(b->reBrow->item(1)->text(), QString(16, ' ') + " 00 00 00 01");
    EXPECT_FALSE(b->reBrow->item(1)->flags() & Qt::ItemIsSelectable);

    b->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !browsers->browser(); }, 2000));
    EXPECT_TRUE(w.menus().Browser1->isEnabled());
    browsers.reset();
}

TEST_F(MainWindow, VariableBrowserSkipsTicksWhileTheLinkIsHeld) {
    std::unique_ptr<tools::BrowserWindows> browsers;
    TFTerminal& w = start([&](TFTerminal& t) { browsers = std::make_unique<tools::BrowserWindows>(t); });
    w.menus().Browser1->trigger();
    tools::TFBrowser* b = browsers->browser();
    ASSERT_TRUE(b);
    whenModal([&](QWidget* m) {
        auto* e = qobject_cast<tools::TFEditBrow*>(m);
        ASSERT_TRUE(e);
        fill(e, "01", "", "4", "050");
        e->btnRec->click();
    });
    b->addClick();
    b->bbGEN->click();
    {
        auto hold = w.engine().hold();
        b->timUpDataTimer();
        EXPECT_EQ(b->reBrow->count(), 1);     // nothing read
        EXPECT_TRUE(b->timUpData.isActive());  // the next tick comes
    }
    b->close();
    browsers.reset();
}

TEST_F(MainWindow, WatchListWatchesAndKeepsItsEntriesForTheRun) {
    // The address boxes step through even node addresses: give the line a node 02.
    network.addNode(0x02).module().ram[0x1A3] = 0x5C;
    std::unique_ptr<tools::BrowserWindows> browsers;
    TFTerminal& w = start([&](TFTerminal& t) { browsers = std::make_unique<tools::BrowserWindows>(t); });
    QString watched;
    bool startedIdle = false;
    whenModal([&](QWidget* m) {
        auto* d = qobject_cast<tools::TFBrowser1*>(m);
        ASSERT_TRUE(d);
        startedIdle = !d->watching() && !d->timUpData.isActive() && d->lbWath->count() == 0;
        d->rbEdit->click();
        d->UpD_Modbus->setValue(2);
        d->UpD_cntRAM->setValue(2);
        EXPECT_EQ(d->edCnt_RAM->text(), "2");
        d->edAdr_RAM->setText("1A3");
        d->btnAdd->click();
        d->rbWatch->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return d->lbWath->count() == 1 &&
                                                 d->lbWath->item(0)->text().endsWith("  5C  00"); },
                                    5000));
        watched = d->lbWath->item(0)->text();
        d->btnClose->click();
    });
    w.menus().mmBrowser->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !watched.isEmpty(); }, 8000));
    EXPECT_TRUE(startedIdle);
    EXPECT_EQ(watched, "     02                    1A3       2      5C  00");
    EXPECT_EQ(browsers->watchList().size(), 1u);
    EXPECT_TRUE(w.menus().Browser1->isEnabled());  // given back when the watch list closed

    // Opened again: not watching, the list empty, the entry still there to edit.
    QString shown;
    whenModal([&](QWidget* m) {
        auto* d = qobject_cast<tools::TFBrowser1*>(m);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->lbWath->count(), 0);
        expectNamedControls(d);
        d->rbEdit->click();
        shown = d->lbWath->item(0)->text();
        d->btnClose->click();
    });
    w.menus().mmBrowser->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 5000));
    EXPECT_EQ(shown, "     02                    1A3       2");
    browsers.reset();
}
