// The hint line under the command line: a hint of any length fits the window as it
// is, and stays whole in the tooltip.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QMenu>

#include "app/IniFile.h"
#include "common/gui/ElidedLabel.h"
#include "tests/support/TerminalFixture.h"

using namespace velmora;
using namespace velmora::app;

namespace {

// Layout requests are posted events; handle them all before looking at sizes.
void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

class HintLine : public velmora::testing::TerminalFixture {};

}  // namespace

TEST(ElidedLabel, TextNeverSizesTheLabel) {
    QWidget frame;
    auto* row = new QHBoxLayout(&frame);
    auto* label = new gui::ElidedLabel;
    row->addWidget(label);
    frame.resize(160, 30);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QSize hint = label->sizeHint();
    const QSize least = label->minimumSizeHint();
    const QSize frameLeast = frame.minimumSizeHint();
    const QString longText = QString("Запись i2c: <CID> <7B> ").repeated(6);
    struct Case {
        QString text;
        bool cut;
    };
    const Case cases[] = {{"", false}, {"Чтение", false}, {longText, true}, {"ok", false}};
    for (const Case& c : cases) {
        label->setText(c.text);
        settle();
        label->repaint();
        EXPECT_EQ(label->sizeHint(), hint) << c.text.toStdString();
        EXPECT_EQ(label->minimumSizeHint(), least) << c.text.toStdString();
        EXPECT_EQ(frame.minimumSizeHint(), frameLeast) << c.text.toStdString();
        EXPECT_EQ(frame.width(), 160);
        const QString shown = label->shownText();
        EXPECT_EQ(shown.endsWith(QChar(0x2026)), c.cut) << shown.toStdString();
        EXPECT_EQ(shown == c.text, !c.cut) << shown.toStdString();
        EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());
        EXPECT_EQ(label->toolTip(), c.text);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Description),
                  c.text);
    }
}

TEST_F(HintLine, NoHintChangesTheWindowsWidth) {
    QFile(options.settingsPath).remove();
    TFTerminal& w = start();
    w.showMainPageQuietly(kTerminalPage);
    settle();
    ASSERT_EQ(w.width(), 500);
    int hints = 0;
    for (QAction* choice : w.menus().N8->actions()) {
        if (choice->isSeparator()) continue;
        choice->trigger();
        settle();
        ++hints;
        EXPECT_EQ(w.width(), 500) << choice->text().toStdString();
        EXPECT_FALSE(w.pages().pHint->text().isEmpty()) << choice->text().toStdString();
    }
    EXPECT_EQ(hints, 12);
    closeWindow();
    QFile f(options.settingsPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(IniFile::parse(f.readAll().toStdString()).integer("Form", "Width"), 500);
}
