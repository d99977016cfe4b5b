// The command line's history, the command-set files that replace it, and the command
// beginnings offered for each selection level.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Cp1251.h"
#include "console/CommandBeginnings.h"
#include "console/CommandHistory.h"
#include "console/CommandSetFile.h"

using namespace velmora;
using namespace velmora::console;

using Lines = std::vector<std::string>;

TEST(CommandHistory, NewestFirstEightAtMostNoneTwice) {
    struct Case {
        Lines entered;
        Lines items;
    };
    const Case cases[] = {
        {{"1 78"}, {"1 78"}},
        {{"1 78", "2 78", "3 78"}, {"3 78", "2 78", "1 78"}},
        // A line already there keeps its place.
        {{"1 78", "2 78", "3 78", "1 78"}, {"3 78", "2 78", "1 78"}},
        // Compared exactly: letter case and blanks make another line.
        {{"1 7a", "1 7A", "1 7A "}, {"1 7A ", "1 7A", "1 7a"}},
        // The ninth pushes the oldest out.
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9"}, {"9", "8", "7", "6", "5", "4", "3", "2"}},
        // Once pushed out, a line comes back as new.
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "1"},
         {"1", "9", "8", "7", "6", "5", "4", "3"}},
    };
    for (const Case& c : cases) {
        CommandHistory h;
        for (const std::string& line : c.entered) h.remember(line);
        EXPECT_EQ(h.items(), c.items) << c.entered.back();
    }
}

TEST(CommandHistory, LoadedSetReplacesItFirstEightDistinct) {
    CommandHistory h;
    h.remember("old");
    h.replaceWith({"1", "2", "2", "3", "4", "5", "6", "7", "8", "9"});
    EXPECT_EQ(h.items(), (Lines{"1", "2", "3", "4", "5", "6", "7", "8"}));
}

namespace {
CommandSet readInPieces(const std::string& bytes, size_t piece) {
    CommandSetReader r;
    for (size_t i = 0; i < bytes.size(); i += piece) r.feed(std::string_view(bytes).substr(i, piece));
    return r.finish();
}
}  // namespace

TEST(CommandSetFile, LinesReadWholeAndInPieces) {
    struct Case {
        std::string bytes;
        Lines commands;
        std::string error;
    };
    const Case cases[] = {
        {"01 78\r\n01 70 00 50 04\r\n", {"01 78", "01 70 00 50 04"}, ""},
        {"01 78\n\n   \n 2 78 \n3 78", {"01 78", "2 78", "3 78"}, ""},
        {"01 78\r\n01 7G\r\n", {}, "Строка 2: '$7G' is not a valid integer value"},
        {"01 78\r\n" + utf8ToCp1251("чтение") + "\r\n", {},
         "Строка 2: '$ие' is not a valid integer value"},
        {"01 78\nчтение\n", {}, "Строка 2: '$ие' is not a valid integer value"},
        {std::string("01 78\n01\0 02\n", 12), {}, "Строка 2: не текст"},
        {"", {}, "В файле нет команд"},
        {"\r\n \r\n", {}, "В файле нет команд"},
        {std::string(70000, '1'), {}, "Файл больше 64 КБ: это не набор команд"},
    };
    for (const Case& c : cases) {
        for (size_t piece : {c.bytes.size() + 1, size_t{1}, size_t{7}}) {
            const CommandSet set =
                piece > c.bytes.size() ? readCommandSet(c.bytes) : readInPieces(c.bytes, piece);
            EXPECT_EQ(set.commands, c.commands) << c.bytes.substr(0, 30) << " / " << piece;
            EXPECT_EQ(set.error, c.error) << c.bytes.substr(0, 30) << " / " << piece;
        }
    }
}

TEST(CommandBeginnings, OfferedByLevel) {
    struct Case {
        uint8_t level;
        bool enabled;
        Lines shown;
    };
    const Case cases[] = {
        {0, false, {}},
        {1, true, {"loadRdRam", "loadWrRAM", "loadRdFlash", "loadRdEE", "loadWrEE"}},
        {2, true, {"loadRdI2C", "loadWrI2C", "loadSetStr"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(beginningsEnabled(c.level), c.enabled);
        Lines shown;
        for (const CommandBeginning& item : commandBeginnings())
            if (beginningShown(item, c.level)) shown.push_back(item.name);
        EXPECT_EQ(shown, c.shown) << int(c.level);
    }
}

TEST(CommandBeginnings, LinesTheyStart) {
    struct Case {
        std::string name;
        uint8_t cid, slave;
        std::string line, hint;
    };
    const Case cases[] = {
        {"loadRdRam", 0x01, 0x00, "01 70 ", "rdRAM"},
        {"loadWrRAM", 0xA5, 0x00, "A5 71 ", "wrRAM"},
        {"loadSetStr", 0x01, 0x10, "01 7B 10 51 1 0", "setStrSFR"},
        {"loadSetStr", 0x3C, 0xFE, "3C 7B FE 51 1 0", "setStrSFR"},
    };
    for (const Case& c : cases) {
        const auto text = beginningText(c.name, c.cid, c.slave);
        ASSERT_TRUE(text) << c.name;
        EXPECT_EQ(text->line, c.line);
        EXPECT_EQ(text->hintName, c.hint);
    }
    for (const char* none : {"loadRdFlash", "loadRdEE", "loadWrEE", "loadRdI2C", "loadWrI2C"})
        EXPECT_FALSE(beginningText(none, 1, 0x10)) << none;
}
