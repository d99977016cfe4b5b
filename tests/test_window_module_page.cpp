// The Module page as the program starts it: not built until it is first visited or
// something first needs it, and then the same page, pixel for pixel and byte for byte on
// the line, as one built at start.

#include <gtest/gtest.h>

#include <QImage>
#include <QTabBar>
#include <QTextBlock>
#include <QTest>

#include "app/MemoryTabs.h"
#include "app/Subsystems.h"
#include "tests/support/EraseThroughDialog.h"
#include "tests/support/WindowFixture.h"
#include "views/gui/MemoryGrid.h"

namespace velmora::testing {

namespace {

class ModulePage : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        asTheProgramStarts = true;
        // No start-up scan: it would build the page when it ends.
        writeSettings("[System]\r\nAutoSkan=0\r\n");
    }
    // The window with its subsystems plugged in as the program plugs them.
    TFTerminal& startAsTheProgram(bool buildFirst = false) {
        return start([&](TFTerminal& w) {
            installMemoryTabs(w);
            page = app::makeSystemPage(w);
            if (buildFirst) w.ensureModulePage();
        });
    }
    void stopWindow() {
        closeWindow();
        page.reset();
    }
    // The user's click on the page's tab.
    void clickMainTab(TFTerminal& w, int index) {
        QTabBar* bar = w.pageControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    // Node 01 selected, the Module page clicked, its first read done; the window's image.
    QImage visitModulePage(TFTerminal& w) {
        w.module().select(0x01, 0, 1);
        clickMainTab(w, kModulePage);
        QTest::qWait(50);
        return w.grab().toImage();
    }

    std::unique_ptr<system::SystemPage> page;
};

// The Terminal page is built on its first visit too; what the link logged before that is
// all there once it is, in order, and a line that came meanwhile follows it.
TEST_F(ModulePage, TheLogShowsWhatCameBeforeItsPageWasBuilt) {
    writeSettings("[System]\r\nAutoSkan=0\r\nProt=1\r\n");
    TFTerminal& w = startAsTheProgram();
    ASSERT_FALSE(w.terminalPageBuilt());
    uint8_t data[4] = {};
    const auto r = w.engine().transact({0x01, link::rdRAM, 0x50, 4, 0, 1}, {}, data);
    ASSERT_EQ(r.code, 0);
    EXPECT_FALSE(w.terminalPageBuilt());
    clickMainTab(w, kTerminalPage);
    ASSERT_TRUE(w.terminalPageBuilt());
    w.workbench().log.appendLine("later", {0, 0, 0});
    console::ProtocolLogPane* log = w.findChild<console::ProtocolLogPane*>("reProt");
    ASSERT_NE(log, nullptr);
    log->flush();
    // CRC of 01 70 00 50 04 is C33E, low byte first on the wire.
    EXPECT_EQ(log->document()->toPlainText().split('\n').value(0), "Send>01 70 00 50 04 3E C3 ");
    EXPECT_EQ(log->document()->blockCount(), 3);
    EXPECT_EQ(log->document()->lastBlock().text(), "later");
}

TEST_F(ModulePage, IsNotBuiltAtStart) {
    TFTerminal& w = startAsTheProgram();
    EXPECT_FALSE(w.modulePageBuilt());
    EXPECT_EQ(w.findChild<QWidget*>("pcMon"), nullptr);
    EXPECT_EQ(w.findChild<QObject*>("MemoryTabs"), nullptr);
    // Nor are dialogs that only a menu or a tab opens.
    EXPECT_TRUE(w.findChildren<QDialog*>().isEmpty());
    // Changing between the other pages leaves it alone.
    clickMainTab(w, kTerminalPage);
    EXPECT_EQ(w.pageControl()->currentIndex(), kTerminalPage);
    clickMainTab(w, kSystemPage);
    EXPECT_FALSE(w.modulePageBuilt());
}

TEST_F(ModulePage, FirstVisitShowsWhatAPageBuiltAtStartShows) {
    // The same settings file for both windows: the same size and place.
    TFTerminal& late = startAsTheProgram();
    const unsigned lateBefore = network.requestsSeen();
    const QImage lateImage = visitModulePage(late);
    ASSERT_TRUE(late.modulePageBuilt());
    const unsigned lateRequests = network.requestsSeen() - lateBefore;
    EXPECT_TRUE(late.pages().pcMon->isVisible());
    EXPECT_TRUE(late.pages().sgFL->isVisibleTo(late.pages().pcMon->widget(kFlashTab)));
    EXPECT_EQ(late.pages().pcMon->currentIndex(), kIdentTab);
    stopWindow();

    TFTerminal& early = startAsTheProgram(true);
    const unsigned earlyBefore = network.requestsSeen();
    const QImage earlyImage = visitModulePage(early);
    const unsigned earlyRequests = network.requestsSeen() - earlyBefore;

    EXPECT_GT(lateRequests, 0u);  // the Ident tab's read
    EXPECT_EQ(lateRequests, earlyRequests);
    ASSERT_EQ(lateImage.size(), earlyImage.size());
    EXPECT_TRUE(lateImage == earlyImage) << "the Module page looks different when built late";
}

// Counts the windows shown while it watches.
struct WindowShowSpy : QObject {
    QStringList shown;
    WindowShowSpy() { qApp->installEventFilter(this); }
    ~WindowShowSpy() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            shown << o->objectName();
        return false;
    }
};

TEST_F(ModulePage, BuildingItOpensNoWindowAndKeepsTheFocusInTheWindow) {
    TFTerminal& w = startAsTheProgram();
    w.module().select(0x01, 0, 1);
    WindowShowSpy spy;
    clickMainTab(w, kModulePage);
    QTest::qWait(50);
    EXPECT_TRUE(spy.shown.isEmpty()) << spy.shown.join(' ').toStdString();
    EXPECT_TRUE(w.isActiveWindow());
    // The Ident tab's list takes the focus, as on every later visit.
    EXPECT_EQ(QApplication::focusWidget(), w.pages().lbIdMod);
}

TEST_F(ModulePage, TheEepromTabOffersItsFourRangesOfAKilobyte) {
    TFTerminal& w = startAsTheProgram();
    w.module().select(0x01, 0, 1);
    clickMainTab(w, kModulePage);
    w.pages().pcMon->setCurrentIndex(kEepromTab);
    QTest::qWait(20);
    // 1 KiB of EEPROM: 0x000 ... 0x3FF in four pages of 256 bytes; the other four of the
    // eight range panels stay hidden.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(w.pages().pnEE[static_cast<size_t>(i)]->isVisible(), i < 4) << i;
    EXPECT_TRUE(w.isActiveWindow());
}

// The window's least size, once its layout has caught up.
QSize leastSize(TFTerminal& w) {
    QTest::qWait(10);
    return w.minimumSizeHint();
}

bool near(const QSize& a, const QSize& b) {
    // Exact with the fonts the page's frame was measured with; other fonts move it a little.
    return std::abs(a.width() - b.width()) <= b.width() / 10 &&
           std::abs(a.height() - b.height()) <= b.height() / 10;
}

TEST_F(ModulePage, TheWindowCannotBeMadeSmallerBeforeThePageIsBuiltThanAfter) {
    // A stored size below the least size: the window opens at its least size either way.
    writeSettings("[System]\r\nAutoSkan=0\r\n[Form]\r\nWidth=400\r\nHeight=300\r\n");
    TFTerminal& late = startAsTheProgram();
    const QSize lateLeast = leastSize(late);
    const QSize lateOpened = late.size();
    late.ensureModulePage();
    late.ensureTerminalPage();
    const QSize lateBuilt = leastSize(late);
    EXPECT_TRUE(near(lateLeast, lateBuilt)) << lateLeast.width() << "x" << lateLeast.height()
                                            << " against " << lateBuilt.width() << "x" << lateBuilt.height();
    stopWindow();

    writeSettings("[System]\r\nAutoSkan=0\r\n[Form]\r\nWidth=400\r\nHeight=300\r\n");
    TFTerminal& early = startAsTheProgram(true);
    const QSize earlyLeast = leastSize(early);
    EXPECT_EQ(lateBuilt, earlyLeast);
    EXPECT_TRUE(near(lateOpened, early.size()));
    EXPECT_GE(lateOpened.width(), 400);
    EXPECT_GE(lateOpened.height(), 300);
}

TEST_F(ModulePage, TheStartAddressReadAtStartReachesAPageBuiltLater) {
    writeSettings("[System]\r\nstartAdrFlash=16384\r\nAutoSkan=0\r\n");
    TFTerminal& w = startAsTheProgram();
    ASSERT_FALSE(w.modulePageBuilt());
    EXPECT_EQ(w.addresses().FlashBottom, 0x4000);
    auto& p = w.pages();
    EXPECT_EQ(p.cbBottomAdrFL->currentText(), "4000");
    EXPECT_EQ(p.edAdrFL->text(), "4000");
    EXPECT_EQ(p.sgFL->cellText(1, 0), "4000");
}

TEST_F(ModulePage, TheKeyForTheModulePageBuildsItOnTheRememberedTab) {
    TFTerminal& w = startAsTheProgram();
    w.module().select(0x01, 0, 1);
    // Asked for while unbuilt: the page opens on it.
    w.showModuleTabQuietly(kRamTab);
    ASSERT_FALSE(w.modulePageBuilt());
    w.setFocus();
    key(Qt::Key_F6);
    ASSERT_TRUE(w.modulePageBuilt());
    EXPECT_EQ(mainPage(), kModulePage);
    EXPECT_EQ(moduleTab(), kRamTab);
    EXPECT_TRUE(w.pages().sgRAM->isVisible());
}

// F6 only shows the Module page; Timer1 shows it on the Ident tab and reads that tab once.
// Whether the page was built at start or is built by this very change, the same happens.
TEST_F(ModulePage, FirstVisitByKeyOrTimer1IsTheSameAsWithAPageBuiltAtStart) {
    enum class Way { F6OnTerminalPage, F6OnSystemPage, Timer1 };
    struct Case {
        const char* name;
        Way way;
        uint8_t level;
        int identReads;
    };
    const Case cases[] = {
        // Away from the System page, F6 needs no selection.
        {"F6 on the Terminal page, nothing selected", Way::F6OnTerminalPage, 0, 0},
        {"F6 on the System page, node selected", Way::F6OnSystemPage, 1, 0},
        {"Timer1 after a node was chosen", Way::Timer1, 1, 1},
    };
    for (const Case& c : cases) {
        for (bool buildFirst : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (buildFirst ? ", built at start" : ", built late"));
            int identReads = 0;
            tabs[kIdentTab].onRead = [&] { ++identReads; };
            TFTerminal& w = start([&](TFTerminal& t) {
                installMemoryTabs(t);
                page = app::makeSystemPage(t);
                t.setModuleTab(kIdentTab, &tabs[kIdentTab]);
                if (buildFirst) t.ensureModulePage();
            });
            w.module().select(0x01, 0, c.level);
            if (c.way == Way::Timer1) {
                // Connected after the window's own handler: runs once that tick is over.
                bool tickDone = false;
                QObject::connect(&w.timer1(), &QTimer::timeout, &w,
                                 [&] { tickDone = !w.timer1().isActive(); });
                w.startTimer1();
                ASSERT_TRUE(QTest::qWaitFor([&] { return tickDone; }, 5000));
                EXPECT_EQ(moduleTab(), kIdentTab);
            } else {
                if (c.way == Way::F6OnTerminalPage) clickMainTab(w, kTerminalPage);
                ASSERT_EQ(mainPage(), c.way == Way::F6OnTerminalPage ? kTerminalPage : kSystemPage);
                ASSERT_EQ(w.modulePageBuilt(), buildFirst);
                key(Qt::Key_F6);
            }
            EXPECT_TRUE(w.modulePageBuilt());
            EXPECT_EQ(mainPage(), kModulePage);
            EXPECT_EQ(identReads, c.identReads);
            stopWindow();
            tabs[kIdentTab].onRead = {};
        }
    }
}

TEST_F(ModulePage, AnEraseFromTheSystemPageUsesTheFlashTabItBuilds) {
    TFTerminal& w = startAsTheProgram();
    w.module().select(1, 0, 1);
    ASSERT_FALSE(w.modulePageBuilt());
    EXPECT_EQ(eraseThroughTheDialog(w, "2000", "2007"), "Стирание окончено");
    EXPECT_TRUE(w.modulePageBuilt());
    EXPECT_EQ(mainPage(), kSystemPage);
    EXPECT_FALSE(w.pages().PanelRec->isVisible());
    EXPECT_TRUE(flashReadsErased(w, 1, 0x2000, 8));
}

TEST_F(ModulePage, AScanThatSelectsAModuleFillsTheMemoryTabsAsBefore) {
    TFTerminal& w = startAsTheProgram();
    ASSERT_FALSE(w.modulePageBuilt());
    page->setNodeRange({1, 4});
    // A module chosen before the scan: the scan ends on the first node found, selected.
    w.module().select(0x03, 0, 1);
    w.systemWidgets().btn_sysUpDate->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->scanning() && !w.systemWidgets().pSkan->isVisible(); },
                                10000));
    // Its end reads the Flash, RAM and EEPROM tabs, which builds the page.
    ASSERT_EQ(w.module().CurrentCID, 0x01);
    ASSERT_NE(w.module().SelectionLevel, 0);
    ASSERT_TRUE(w.modulePageBuilt());
    EXPECT_EQ(mainPage(), kSystemPage);
    MemoryTabs* tabs = memoryTabs(w);
    ASSERT_TRUE(tabs);
    EXPECT_TRUE(tabs->ram.RAMValid());
    // Node 01's Flash: EF 10 F0 0F at 0x2000.
    EXPECT_EQ(w.pages().sgFL->cellText(1, 1), "EF");
}

}  // namespace

}  // namespace velmora::testing
