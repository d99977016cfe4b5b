// What assistive technology finds in the main window: the status bar's three panels
// as children that follow their texts, and on every control of the window, its pages and
// its dialogs a name in words (never the control's identifier).

#include <gtest/gtest.h>
#include <QTest>

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <functional>
#include <vector>

#include "firmware/gui/TFClear_FL.h"
#include "firmware/gui/TFshiftFlash.h"
#include "tests/support/TerminalFixture.h"
#include "tools/gui/TFTestKom.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::whenModal;

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
    gui::StatusPanels* sb1 = &w.statusPanels();
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

// Qt hands events on only while assistive technology listens, which needs the
// accessibility bus (the offscreen platform has none): CTest runs this test once more on
// X with a bus of its own (tests/support/with-atspi), where VELMORA_EXPECT_ATSPI makes a
// missing listener a failure, not a skip.
TEST_F(Accessibility, ANewPanelTextIsAnnouncedAsANameChange) {
    // The bridge connects to the bus once the event loop runs.
    if (qEnvironmentVariableIsSet("VELMORA_EXPECT_ATSPI"))
        QTest::qWaitFor([] { return QAccessible::isActive(); }, 3000);
    if (!QAccessible::isActive()) {
        ASSERT_FALSE(qEnvironmentVariableIsSet("VELMORA_EXPECT_ATSPI"))
            << "the accessibility bus is there, but Qt never started talking to it";
        GTEST_SKIP() << "no assistive technology listening";
    }
    TFTerminal& w = start();
    std::vector<PanelEvent> events;
    recorded = &events;
    QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordEvent);
    w.showStatus("Comm порт отключен");
    w.module().CurrentSlaveAdr = 0x52;
    w.showCurrentAddress();
    w.showStatus("Comm порт отключен");  // the same text again: nothing to announce
    QAccessible::installUpdateHandler(previous);
    recorded = nullptr;

    std::vector<std::pair<QAccessible::Event, int>> fromBar;
    for (const PanelEvent& e : events)
        if (e.object == &w.statusPanels()) fromBar.emplace_back(e.type, e.child);
    // Panel 0 goes from "Адр Modbus: 00" (the activation's) to empty (no node chosen).
    const std::vector<std::pair<QAccessible::Event, int>> expected = {
        {QAccessible::NameChanged, 2}, {QAccessible::NameChanged, 0}, {QAccessible::NameChanged, 1}};
    EXPECT_EQ(fromBar, expected);
}

// What a screen reader says for a control is words, never the code's name for it: a name
// that is one Latin token (sgRAM, pcMon, lbIdMod, sb1, spFL_Up) is an identifier,
// unless it is one of the system's own Latin words.
static bool looksLikeIdentifier(const QString& name) {
    static const QSet<QString> systemWords = {"RAM", "EEPROM", "Flash", "SFR", "i2c", "Modbus",
                                              "OK", "Hex", "CRC", "Comm"};
    static const QRegularExpression token("^[A-Za-z_][A-Za-z0-9_]*$");
    return token.match(name).hasMatch() && !systemWords.contains(name);
}

TEST(AccessibleNameRule, IdentifiersAreToldFromTheSystemsWords) {
    const std::pair<const char*, bool> cases[] = {
        {"sgRAM", true},         {"pcMon", true},   {"lbIdMod", true},     {"spFL_Up", true},
        {"sb1", true},           {"pHint", true},   {"RAM", false},        {"i2c", false},
        {"Ячейки RAM", false},   {"Адрес RAM", false}, {"0x000 ... 0x0FF", false},
        {"Страница Flash вверх", false}, {"115200", false},
    };
    for (auto [name, identifier] : cases)
        EXPECT_EQ(looksLikeIdentifier(QString::fromUtf8(name)), identifier) << name;
}

TEST_F(Accessibility, EveryControlOfTheWindowAndItsDialogsHasAWordForAName) {
    TFTerminal& w = start();
    w.pages();  // the Module page built
    w.selectComm();
    w.editParMod();
    w.handSetConfig();
    w.showVar();
    w.freeTerminalWindow();
    firmware::TFshiftFlash shift(&w);
    firmware::TFClear_FL erase(&w);
    action("mmTester")->trigger();
    ASSERT_TRUE(w.testerWindow());

    // Qt's own parts of its composite widgets (a combo box's popup list, a table's corner,
    // the overflow buttons of menu and tool bars) are reached through their owner.
    const QSet<QString> qtParts = {"QComboBoxListView", "QTableCornerButton", "QToolBarExtension"};
    QStringList faults;
    auto check = [&](QWidget* top) {
        QList<QWidget*> all = top->findChildren<QWidget*>();
        all.prepend(top);
        for (QWidget* widget : all) {
            if (qtParts.contains(widget->metaObject()->className()) ||
                widget->objectName().startsWith("qt_"))
                continue;
            // A combo box's own edit is spoken as the combo box.
            if (qobject_cast<QComboBox*>(widget->parentWidget()) && qobject_cast<QLineEdit*>(widget))
                continue;
            QAccessibleInterface* i = QAccessible::queryAccessibleInterface(widget);
            if (!i) continue;
            // What the control shows is its name where it has no name of its own: a
            // label's or a button's text, a combo box's choice.
            QString shown;
            auto* label = qobject_cast<QLabel*>(widget);
            if (label) shown = label->text();
            if (auto* b = qobject_cast<QAbstractButton*>(widget)) shown = b->text().remove('&');
            if (auto* c = qobject_cast<QComboBox*>(widget)) shown = c->currentText();
            const QString own = widget->accessibleName();
            const QString spoken = own.isEmpty() ? i->text(QAccessible::Name) : own;
            const bool takesFocus = widget->focusPolicy() != Qt::NoFocus;
            const bool showsSomething = qobject_cast<QAbstractButton*>(widget) ||
                                        (label && (!label->text().isEmpty() || !label->pixmap().isNull()));
            const bool mustHaveName = (takesFocus || showsSomething) && !qobject_cast<QScrollBar*>(widget);
            const bool identifier =
                looksLikeIdentifier(own) || (looksLikeIdentifier(spoken) && spoken != shown);
            if ((mustHaveName && spoken.isEmpty()) || identifier)
                faults << QString("%1 %2 '%3' in %4")
                              .arg(widget->metaObject()->className(), widget->objectName(), spoken,
                                   top->objectName());
        }
    };
    check(&w);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != &w && top->window() == top) check(top);
    // The modal ones are made as they open: the about box from its menu title, the test
    // editor from the tester's menu.
    bool aboutSeen = false;
    whenModal([&](QWidget* d) {
        check(d);
        aboutSeen = true;
        static_cast<QDialog*>(d)->reject();
    });
    w.menus().N17->popup(w.mapToGlobal(QPoint(10, 10)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return aboutSeen; }, 3000));
    whenModal([&](QWidget* d) {
        check(d);
        static_cast<QDialog*>(d)->reject();
    });
    w.testerWindow()->findChild<QAction*>("N4")->trigger();
    EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
}
