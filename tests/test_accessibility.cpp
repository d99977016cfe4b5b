// What assistive technology finds in the main window: the status bar's three panels
// as children that follow their texts, and a name on everything that can take the
// focus or shows text.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QSet>
#include <functional>
#include <vector>

#include "tests/support/TerminalFixture.h"

using namespace velmora;
using namespace velmora::app;

namespace {

// Visits `iface` and everything below it that a screen reader would reach.
void walk(QAccessibleInterface* iface, const std::function<void(QAccessibleInterface*)>& visit,
          int depth = 0) {
    if (!iface || depth > 40) return;
    visit(iface);
    for (int i = 0; i < iface->childCount(); ++i) walk(iface->child(i), visit, depth + 1);
}

QAccessibleInterface* findFor(QWidget* root, QObject* object) {
    QAccessibleInterface* found = nullptr;
    walk(QAccessible::queryAccessibleInterface(root), [&](QAccessibleInterface* i) {
        if (!found && i->object() == object) found = i;
    });
    return found;
}

QStringList childNames(QAccessibleInterface* bar) {
    QStringList names;
    for (int i = 0; i < bar->childCount(); ++i) names << bar->child(i)->text(QAccessible::Name);
    return names;
}

struct PanelEvent {
    QObject* object;
    QAccessible::Event type;
    int child;
};
std::vector<PanelEvent>* recorded = nullptr;

void recordEvent(QAccessibleEvent* event) {
    if (recorded) recorded->push_back({event->object(), event->type(), event->child()});
}

class Accessibility : public velmora::testing::TerminalFixture {};

}  // namespace

TEST_F(Accessibility, TheStatusBarHasThreePanelsNamedByTheirTexts) {
    TFTerminal& w = start();
    StatusPanels* sb1 = w.statusPanels();
    QAccessibleInterface* bar = findFor(&w, sb1);
    ASSERT_NE(bar, nullptr) << "sb1 is not reached from the window";
    EXPECT_EQ(bar->role(), QAccessible::StatusBar);
    ASSERT_EQ(bar->childCount(), 3);
    EXPECT_EQ(childNames(bar), (QStringList{"Адр Modbus: 00", "", ""}));

    struct Step {
        std::function<void()> act;
        QStringList names;
    };
    const Step steps[] = {
        {[&] { w.showStatus("Контроллер не ответил"); },
         {"Адр Modbus: 00", "", "Контроллер не ответил"}},
        {[&] {
             w.module().CurrentCID = 0x1A;
             w.module().CurrentSlaveAdr = 0x52;
             w.showCurrentAddress();
         },
         {"Адр Modbus: 1A", "Адр i2c: 52", "Контроллер не ответил"}},
        {[&] {
             w.module().CurrentCID = 0;
             w.module().CurrentSlaveAdr = 0;
             w.showCurrentAddress();
             w.showStatus("");
         },
         {"", "", ""}},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(childNames(bar), s.names);
    }

    // Each panel knows its place: under the bar, in panel order, left to right.
    int lastRight = bar->rect().left() - 1;
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* panel = bar->child(i);
        EXPECT_EQ(panel->parent(), bar);
        EXPECT_EQ(bar->indexOfChild(panel), i);
        EXPECT_EQ(panel->role(), QAccessible::StaticText);
        const QRect r = panel->rect();
        EXPECT_TRUE(bar->rect().contains(r)) << i;
        EXPECT_GT(r.left(), lastRight) << i;
        lastRight = r.right();
        EXPECT_EQ(bar->childAt(r.center().x(), r.center().y()), panel) << i;
    }
}

TEST_F(Accessibility, ANewPanelTextIsAnnouncedAsANameChange) {
    TFTerminal& w = start();
    std::vector<PanelEvent> events;
    recorded = &events;
    // Qt hands events on only while assistive technology listens, which the offscreen
    // platform never reports.
    if (!QAccessible::isActive()) GTEST_SKIP() << "no assistive technology listening";
    QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordEvent);
    w.showStatus("Comm порт отключен");
    w.module().CurrentSlaveAdr = 0x52;
    w.showCurrentAddress();
    w.showStatus("Comm порт отключен");  // the same text again: nothing to announce
    QAccessible::installUpdateHandler(previous);
    recorded = nullptr;

    std::vector<std::pair<QAccessible::Event, int>> fromBar;
    for (const PanelEvent& e : events)
        if (e.object == w.statusPanels()) fromBar.emplace_back(e.type, e.child);
    const std::vector<std::pair<QAccessible::Event, int>> expected = {
        {QAccessible::NameChanged, 2}, {QAccessible::NameChanged, 1}};
    EXPECT_EQ(fromBar, expected);
}

TEST_F(Accessibility, EveryControlAndTextOnEveryPageHasAName) {
    TFTerminal& w = start();
    // Parts of Qt's own composite widgets, reached through their owner, which is named.
    const QSet<QString> qtParts = {"qt_scrollarea_viewport", "qt_scrollarea_hcontainer",
                                   "qt_scrollarea_vcontainer"};
    auto check = [&](const QString& where) {
        walk(QAccessible::queryAccessibleInterface(&w), [&](QAccessibleInterface* i) {
            auto* widget = qobject_cast<QWidget*>(i->object());
            if (!widget || !widget->isVisible() || qtParts.contains(widget->objectName())) return;
            const bool takesFocus = widget->focusPolicy() != Qt::NoFocus;
            const bool showsText =
                qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget);
            if (!takesFocus && !showsText) return;
            EXPECT_FALSE(i->text(QAccessible::Name).isEmpty())
                << where.toStdString() << ": " << widget->metaObject()->className() << " '"
                << widget->objectName().toStdString() << "'";
        });
    };
    w.showMainPageQuietly(kSystemPage);
    check("System page");
    w.showMainPageQuietly(kModulePage);
    for (int tab = 0; tab < w.pages().pcMon->count(); ++tab) {
        w.showModuleTabQuietly(tab);
        check("Module tab " + w.pages().pcMon->tabText(tab).trimmed());
    }
    w.showMainPageQuietly(kTerminalPage);
    check("Terminal page");
}

TEST_F(Accessibility, NamedControlsCarryTheirControlNames) {
    TFTerminal& w = start();
    const MainPages& p = w.pages();
    const std::pair<QWidget*, const char*> named[] = {
        {p.tvSysInf, "tvSysInf"}, {p.sgFL, "sgFL"},       {p.sgRAM, "sgRAM"},
        {p.sgEE, "sgEE"},         {p.reProt, "reProt"},   {p.cbKomStr, "cbKomStr"},
        {p.pHint, "pHint"},       {p.lbIdMod, "lbIdMod"}, {p.lbSFR, "lbSFR"},
    };
    for (auto [widget, name] : named) {
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(i, nullptr) << name;
        EXPECT_EQ(i->text(QAccessible::Name), name);
    }
}
