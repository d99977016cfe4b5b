// The free terminal's screen model: control bytes and the escape table, every stream fed
// whole and byte by byte and the two screens compared cell by cell.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/TerminalScreen.h"

using velmora::tools::Cell;
using velmora::tools::TerminalScreen;

namespace {

constexpr int W = TerminalScreen::kColumns;
constexpr int H = TerminalScreen::kRows;

std::string row(const TerminalScreen& s, int r) {
    std::string out;
    for (int c = 0; c < W; ++c) out += static_cast<char>(s.cell(c, r).ch);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

struct Fed {
    std::unique_ptr<TerminalScreen> whole = std::make_unique<TerminalScreen>();
    std::unique_ptr<TerminalScreen> bytes = std::make_unique<TerminalScreen>();
};

// Feeds the stream whole into one screen and byte by byte into another; they must agree
// in every cell and in the cursor.
Fed feedBoth(const std::string& stream) {
    Fed f;
    f.whole->feed(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
    for (char ch : stream) {
        const auto b = static_cast<uint8_t>(ch);
        f.bytes->feed(&b, 1);
    }
    for (int r = 0; r < H; ++r)
        for (int c = 0; c < W; ++c)
            EXPECT_EQ(f.whole->cell(c, r), f.bytes->cell(c, r)) << "cell " << c << "," << r;
    EXPECT_EQ(f.whole->cursorColumn(), f.bytes->cursorColumn());
    EXPECT_EQ(f.whole->cursorRow(), f.bytes->cursorRow());
    return f;
}

const std::string ESC = "\x1b";

struct Case {
    const char* name;
    std::string stream;
    int column, row;                  // the cursor afterwards
    std::vector<std::string> rows;    // the first rows of the screen, trailing blanks cut
};

}  // namespace

TEST(TerminalScreen, ControlBytesAndTheEscapeTable) {
    const std::vector<Case> cases = {
        {"text", "abc", 3, 0, {"abc"}},
        {"carriage return goes to the next row", "ab\rcd", 2, 1, {"ab", "cd"}},
        {"line feed alone never moves", "ab\ncd", 4, 0, {"abcd"}},
        {"backspace moves left, erases nothing", "abc\x08\x08X", 2, 0, {"aXc"}},
        {"backspace stops at column 0", "\x08\x08Z", 1, 0, {"Z"}},
        {"bell draws nothing", "a\x07" "b", 2, 0, {"ab"}},
        {"H is 1-based row then column", ESC + "[5;10HX", 10, 4, {"", "", "", "", "         X"}},
        {"H without parameters is the top-left", "abc" + ESC + "[HZ", 1, 0, {"Zbc"}},
        {"H clamps outside the grid", ESC + "[99;999HX", 0, 23, {}},
        {"2J blanks without moving", "abc" + ESC + "[2J", 3, 0, {""}},
        {"0J from the cursor on", "abcdef" + ESC + "[1;3H" + ESC + "[J", 2, 0, {"ab"}},
        {"1J up to and with the cursor", "abcdef" + ESC + "[1;3H" + ESC + "[1J", 2, 0, {"   def"}},
        {"0K to the row's end", "abcdef" + ESC + "[1;4H" + ESC + "[K", 3, 0, {"abc"}},
        {"1K from the row's start", "abcdef" + ESC + "[1;4H" + ESC + "[1K", 3, 0, {"    ef"}},
        {"2K the whole row", "abc\rdef" + ESC + "[2K", 3, 1, {"abc", ""}},
        {"A up, not above row 0", "\r\rx" + ESC + "[5Ay", 2, 0, {" y", "", "x"}},
        {"B down", "x" + ESC + "[2By", 2, 2, {"x", "", " y"}},
        {"C right, 0 as 1", "a" + ESC + "[Cb", 3, 0, {"a b"}},
        {"D left, not before column 0", "abc" + ESC + "[9DX", 1, 0, {"Xbc"}},
        {"@ moves the rest of the row right", "abcd" + ESC + "[1;2H" + ESC + "[2@", 1, 0, {"a  bcd"}},
        {"P deletes at the cursor", "abcdef" + ESC + "[1;2H" + ESC + "[2P", 1, 0, {"adef"}},
        {"L scrolls down", "top" + ESC + "[L", 3, 0, {"", "top"}},
        {"an unknown final drops the sequence", "a" + ESC + "[5Zb", 2, 0, {"ab"}},
        {"a stray byte ends the sequence", "a" + ESC + "[5!b", 2, 0, {"ab"}},
        {"without '['", "abc" + ESC + "2J", 3, 0, {""}},
        {"missing parameter counts as 0", ESC + "[;5HX", 5, 0, {"    X"}},
        {"huge parameters are clamped", ESC + "[99999999999999999999;3HX", 3, 23, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fed f = feedBoth(c.stream);
        EXPECT_EQ(f.whole->cursorColumn(), c.column);
        EXPECT_EQ(f.whole->cursorRow(), c.row);
        for (size_t r = 0; r < c.rows.size(); ++r) EXPECT_EQ(row(*f.whole, static_cast<int>(r)), c.rows[r]);
    }
}

TEST(TerminalScreen, WrappingAndScrolling) {
    // 80 characters fill row 0 and put the cursor at the start of row 1.
    Fed f = feedBoth(std::string(80, 'a') + "b");
    EXPECT_EQ(row(*f.whole, 1), "b");
    EXPECT_EQ(f.whole->cursorColumn(), 1);
    // A carriage return on the last row scrolls the screen up one row.
    std::string s = "first";
    for (int i = 0; i < H - 1; ++i) s += "\r";
    s += "last\r";
    Fed g = feedBoth(s);
    EXPECT_EQ(row(*g.whole, 0), "");  // "first" scrolled off the top
    EXPECT_EQ(row(*g.whole, H - 2), "last");
    EXPECT_EQ(g.whole->cursorRow(), H - 1);
    // C continues on the next rows.
    Fed h = feedBoth(ESC + "[85CX");
    EXPECT_EQ(h.whole->cursorRow(), 1);
    EXPECT_EQ(row(*h.whole, 1), "     X");
}

TEST(TerminalScreen, Colours) {
    Fed f = feedBoth(ESC + "[1;31mR" + ESC + "[0m" + ESC + "[31mM" + ESC + "[44;32mG" + ESC + "[7mV" + ESC +
                     "[mD" + ESC + "[5mB" + ESC + "[10mN" + ESC + "[38mQ");
    const TerminalScreen& s = *f.whole;
    EXPECT_EQ(s.cell(0, 0).fg, 9);   // bright 1: red, of the upper eight
    EXPECT_EQ(s.cell(1, 0).fg, 1);   // 31 alone: maroon
    EXPECT_EQ(s.cell(2, 0).fg, 2);   // green
    EXPECT_EQ(s.cell(2, 0).bg, 4);   // on navy
    EXPECT_EQ(s.cell(3, 0).fg, 0);   // reverse: black on white
    EXPECT_EQ(s.cell(3, 0).bg, 15);
    EXPECT_EQ(s.cell(4, 0).fg, 15);  // no parameter: reset to white on black
    EXPECT_EQ(s.cell(4, 0).bg, 0);
    EXPECT_TRUE(s.cell(5, 0).blink);
    EXPECT_FALSE(s.cell(6, 0).blink);  // 10 resets, blink too
    EXPECT_EQ(s.cell(7, 0).fg, 15);    // units digit 8: reset
    EXPECT_TRUE(s.anyBlinking());
}

TEST(TerminalScreen, ExcessParametersAreDroppedAndDirtyRowsReported) {
    std::string many = ESC + "[";
    for (int i = 0; i < 100; ++i) many += "1;";
    many += "2HX";
    Fed f = feedBoth(many);
    EXPECT_EQ(f.whole->cursorRow(), 0);  // row 1, column 1: the 2 came past the storage
    TerminalScreen s;
    s.takeDirtyRows();
    s.feed(ESC.c_str());
    s.feed("[3;1Hx");
    EXPECT_EQ(s.takeDirtyRows(), (1u << 0) | (1u << 2));  // where the cursor left and went
    EXPECT_EQ(s.takeDirtyRows(), 0u);
    s.feed("\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r");  // scrolls
    EXPECT_EQ(s.takeDirtyRows(), (1u << 24) - 1);
}
