// The offset and erase-range dialogs offscreen, and the erase dialog's rules.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "firmware/EraseDialogRules.h"
#include "firmware/gui/TFClear_FL.h"
#include "firmware/gui/TFshiftFlash.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::firmware;
using velmora::testing::whenModal;

TEST(EraseDialogRules, ClampingAndKeys) {
    EXPECT_EQ(clampForShowing({0, 0}, 0x2000).start, 0x2000u);
    EXPECT_EQ(clampForShowing({0, 0}, 0x4000).end, 0x4000u);
    EXPECT_EQ(clampForShowing({0x3000, 0x12345}, 0x2000).end, 0xFFFFu);
    EXPECT_EQ(clampForShowing({0x3000, 0x12345}, 0x2000).start, 0x3000u);
    for (char32_t c : {U'0', U'9', U'A', U'F', char32_t{8}, char32_t{7}})
        EXPECT_TRUE(eraseFieldAccepts(c)) << int(c);
    for (char32_t c : {U'G', U'a', U' ', U'-', U'x', U'Ж'}) EXPECT_FALSE(eraseFieldAccepts(c)) << int(c);

    struct Case {
        const char *start, *end;
        bool confirmed;
        CloseVerdict verdict;
    };
    const Case cases[] = {
        {"2010", "201F", true, CloseVerdict::Close},     {"1000", "2000", true, CloseVerdict::StayOpen},
        {"3000", "2FFF", true, CloseVerdict::StayOpen},  {"1000", "2000", false, CloseVerdict::Close},
        {"", "2000", false, CloseVerdict::StayOpen},     {"", "2000", true, CloseVerdict::StayOpen},
        {"FF00", "FFFF", true, CloseVerdict::Close},
    };
    for (const Case& c : cases) {
        bool confirmed = c.confirmed;
        EraseFields stored;
        EXPECT_EQ(eraseDialogCloses(c.start, c.end, 0x2000, confirmed, stored), c.verdict)
            << c.start << " " << c.end << " " << c.confirmed;
        if (c.verdict == CloseVerdict::StayOpen) {
            EXPECT_FALSE(confirmed);
        }
    }
}

TEST(ShiftDialog, OkSetsTheShiftCancelClearsItAnEmptyFieldStaysOpen) {
    TFshiftFlash d;
    d.FlashShift = 0x1A0;
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(d.edShiftFlash->text(), "1A0");
        d.edShiftFlash->clear();
        QTest::keyClicks(d.edShiftFlash, "1g0z");  // only hexadecimal digits get in
        EXPECT_EQ(d.edShiftFlash->text(), "10");
        d.BitBtn2->click();
    });
    d.exec();
    EXPECT_EQ(d.FlashShift, 0x10);

    QTimer::singleShot(0, [&] { d.BitBtn1->click(); });
    d.exec();
    EXPECT_EQ(d.FlashShift, 0);

    bool messageSeen = false;
    QTimer::singleShot(0, [&] {
        d.edShiftFlash->clear();
        whenModal([&](QWidget* box) {
            messageSeen = static_cast<QMessageBox*>(box)->text() == "'' is not a valid integer value";
            static_cast<QMessageBox*>(box)->accept();
            QTimer::singleShot(0, [&] {
                EXPECT_TRUE(d.isVisible());  // still open after the message
                d.BitBtn1->click();
            });
        });
        d.BitBtn2->click();
    });
    d.exec();
    EXPECT_TRUE(messageSeen);
}

TEST(EraseDialog, KeysMoveConfirmAndFilter) {
    TFClear_FL d;
    d.setBottom(0x2000);
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(d.edStartAdr->text(), "2000");  // 0 at start, clamped to the bottom
        EXPECT_EQ(d.edFinAdr_FL->text(), "2000");
        d.edStartAdr->selectAll();
        QTest::keyClicks(d.edStartAdr, "2z0x1g0");
        EXPECT_EQ(d.edStartAdr->text(), "2010");
        QTest::keyClick(d.edStartAdr, Qt::Key_Return);  // Enter moves to the other field
        EXPECT_EQ(d.focusWidget(), d.edFinAdr_FL);
        d.edFinAdr_FL->selectAll();
        QTest::keyClicks(d.edFinAdr_FL, "201f");  // upper-cased as typed
        EXPECT_EQ(d.edFinAdr_FL->text(), "201F");
        QTest::keyClick(d.edFinAdr_FL, Qt::Key_Return, Qt::ControlModifier);
    });
    EXPECT_EQ(d.exec(), QDialog::Accepted);
    EXPECT_TRUE(d.confirmed());
    EXPECT_EQ(d.range().start, 0x2010u);
    EXPECT_EQ(d.range().end, 0x201Fu);
}

TEST(EraseDialog, AWrongRangeKeepsItOpenWithTheMessage) {
    TFClear_FL d;
    d.setBottom(0x2000);
    int messages = 0;
    QTimer::singleShot(0, [&] {
        d.edStartAdr->setText("1000");
        whenModal([&](QWidget* box) {
            messages += static_cast<QMessageBox*>(box)->text() == "Ошбка диапазона стирания";
            static_cast<QMessageBox*>(box)->accept();
            QTimer::singleShot(0, [&] {
                EXPECT_TRUE(d.isVisible());
                EXPECT_FALSE(d.confirmed());
                d.edStartAdr->setText("");  // an empty field: even Cancel is refused
                whenModal([&](QWidget* box2) {
                    ++messages;
                    static_cast<QMessageBox*>(box2)->accept();
                    QTimer::singleShot(0, [&] {
                        d.edStartAdr->setText("3000");
                        d.btnCansel->click();
                    });
                });
                d.btnCansel->click();
            });
        });
        d.btnErrase->click();
    });
    EXPECT_EQ(d.exec(), QDialog::Rejected);
    EXPECT_EQ(messages, 2);
    EXPECT_FALSE(d.confirmed());
    EXPECT_EQ(d.range().start, 0x3000u);  // a cancelled dialog still keeps its fields
}
