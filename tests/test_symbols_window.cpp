// The entry editor's name field offscreen: a name of the project's symbol file, typed
// where the keys go, fills the RAM address; anything else leaves it as it was.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "symbols/gui/ProjectSymbols.h"
#include "tools/gui/TFEditBrow.h"

using namespace velmora;

TEST(SymbolNames, ANameTypedInTheEntryEditorFillsTheAddress) {
    symbols::gui::ProjectSymbols project;
    project.set(symbols::SymbolTable({{"counter", 0x020}, {"hiVar", 0x150}}), "project.lst");
    struct Case {
        const char* typed;
        const char* address;
    } cases[] = {
        {"hiVar", "150"},
        {"counter", "020"},
        {"hivar", ""},  // the assembler tells the cases apart
        {"count", ""},  // only a whole name
    };
    for (const Case& c : cases) {
        tools::TFEditBrow editor(project);
        editor.prepare(false, "");
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
        editor.edSymbol->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), c.typed);
        EXPECT_EQ(editor.edAdr->text(), c.address) << c.typed;
        EXPECT_EQ(editor.edSymbol->accessibleName(), "Имя переменной");
    }
}
