// The command tester's logic: test-file lines, the test list with its headers, one tick
// against the simulated network, the cycle modes, and the editor's "Запись".
// CRC16 values were worked out by hand with the bitwise Modbus rule (poly 0xA001).

#include <gtest/gtest.h>

#include "cli/TestCommand.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"
#include "tools/TestEditorRules.h"
#include "tools/TestFileCheck.h"
#include "tools/TestLine.h"
#include "tools/TestList.h"
#include "tools/TesterTick.h"

using namespace velmora;
using namespace velmora::tools;
using test::bytesOf;
using test::hexOf;

TEST(TestFileLine, BytesOfEachLayout) {
    struct Case { const char* line; const char* bytes; };
    const Case cases[] = {
        {" 01 70 00 00 10 ", "01 70 00 00 10"},
        {"0170 0000 10", "01 70 00 00 10"},
        {"017000 0010", "01 70 00 00 10"},
        {"01 7a 0f ff", "01 7A 0F FF"},
        {"01 75 00 10 08  01 02 03\r\n", "01 75 00 10 08 01 02 03"},
        {"\t03 78\t", "03 78"},
        {"01 7", "01 07"},
        {"   ", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        const TestLineBytes r = parseTestLine(c.line);
        EXPECT_EQ(r.error, TestLineError::None) << c.line;
        EXPECT_EQ(hexOf(r.bytes), c.bytes) << c.line;
    }
}

TEST(TestFileLine, RefusedLinesGiveNoBytes) {
    struct Case { const char* line; const char* text; };
    const Case cases[] = {
        {"01 7G", "'$7G' is not a valid integer value"},
        {"0 170", "'$0 ' is not a valid integer value"},
        {"01\t70", "'$\t7' is not a valid integer value"},
        {"-1 70", "'$-1' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        const TestLineBytes r = parseTestLine(c.line);
        EXPECT_EQ(r.error, TestLineError::BadPair) << c.line;
        EXPECT_TRUE(r.bytes.empty()) << c.line;
        EXPECT_EQ(testLineErrorText(r), c.text) << c.line;
    }
    // TxBuf is 256 bytes and two of them are the CRC.
    std::string longest;
    for (int i = 0; i < 254; ++i) longest += "AB ";
    EXPECT_EQ(parseTestLine(longest).bytes.size(), 254u);
    const TestLineBytes over = parseTestLine(longest + "CD");
    EXPECT_EQ(over.error, TestLineError::TooLong);
    EXPECT_TRUE(over.bytes.empty());
    // Past the limit a bad pair is still the one named.
    EXPECT_EQ(parseTestLine(longest + "CD ZZ").badPair, "ZZ");
}

TEST(TestFileLine, FileTextSplitsIntoLines) {
    struct Case { const char* text; std::vector<std::string> lines; };
    const Case cases[] = {
        {"01 78\r\n02 78\r\n", {"01 78", "02 78"}},
        {"01 78\n\n02 78", {"01 78", "", "02 78"}},
        {"", {}},
        {"\r\n", {""}},
    };
    for (const Case& c : cases) EXPECT_EQ(testFileLines(c.text), c.lines) << c.text;
}

TEST(TestListHeaders, OpeningNumbersHeadersFromZero) {
    TestList list;
    list.addFile("/t/a.tst", {"01 70 00 00 10"});
    list.addFile("/t/data.tst", {});
    list.addFile("C:\\t\\b.tst", {"03 78", "02 74 00 10 08"});
    const std::vector<std::string> expected = {
        "[0]/t/a.tst", " 01 70 00 00 10", "[1]/t/data.tst", "[2]C:\\t\\b.tst", " 03 78",
        " 02 74 00 10 08"};
    EXPECT_EQ(list.lines(), expected);
    ASSERT_EQ(list.files().size(), 3u);
    EXPECT_EQ(list.files()[1].name, "data.tst");
    EXPECT_EQ(list.files()[2].name, "b.tst");
    EXPECT_TRUE(list.files()[2].checked);
}

TEST(TestListHeaders, RemovingAFileTakesOnlyItsLines) {
    // "a.tst" ends "data.tst" as well: removing a.tst must leave data.tst and its box.
    TestList list;
    list.addFile("/t/data.tst", {"02 74 00 10 08"});
    list.addFile("/t/a.tst", {"01 70 00 00 10", "03 78"});
    list.addFile("/u/a.tst", {"04 78"});
    list.setChecked(2, false);
    list.removeFile(1);
    const std::vector<std::string> expected = {"[0]/t/data.tst", " 02 74 00 10 08", "[1]/u/a.tst", " 04 78"};
    EXPECT_EQ(list.lines(), expected);
    ASSERT_EQ(list.files().size(), 2u);
    EXPECT_EQ(list.files()[0].name, "data.tst");
    EXPECT_TRUE(list.files()[0].checked);
    EXPECT_FALSE(list.files()[1].checked);
    list.removeFile(5);  // nothing selected
    EXPECT_EQ(list.lines().size(), 4u);
    list.removeFile(0);
    list.removeFile(0);
    EXPECT_TRUE(list.lines().empty());
    EXPECT_FALSE(list.canRun());
}

TEST(TestListHeaders, WalkSkipsUncheckedFilesAndNeverLoops) {
    TestList list;
    list.addFile("/t/one.tst", {"01 78", "02 78"});
    list.addFile("/t/two.tst", {"03 78", "04 78"});
    list.addFile("/t/empty.tst", {});
    list.setChecked(0, false);
    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i) {
        const auto at = list.findNextCommand();
        ASSERT_TRUE(at);
        order.push_back(list.lines()[*at]);
        list.advance();
    }
    EXPECT_EQ(order, (std::vector<std::string>{" 03 78", " 04 78", " 03 78", " 04 78", " 03 78"}));

    // Only the empty file checked: the walk gives up instead of going round for ever.
    list.setChecked(1, false);
    list.setChecked(2, true);
    EXPECT_TRUE(list.canRun());
    EXPECT_FALSE(list.findNextCommand());
}

namespace {

class TesterTickRig : public ::testing::Test {
protected:
    TesterTickRig() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    }
    void answerWith(const std::string& hex) {
        rig.line.at(rig.line.clock().now + 1, [this, hex] {
            rig.line.inject(rig.line.clock().now + 4, bytesOf(hex));
        });
    }
    sim::ModuleNetwork network;
    test::EngineRig rig{network};
    TestList list;
};

}  // namespace

TEST_F(TesterTickRig, FrameCarriesCrcLowByteFirstAndReplyIsJudged) {
    list.addFile("/t/a.tst", {" 01 70 00 00 10 "});
    rig.line.delivery().silent = [](unsigned) { return true; };
    answerWith("01 70 01 02 80 52");
    const uint64_t start = rig.line.clock().now;
    const TickResult r = runTestTick(rig.engine, list);
    ASSERT_EQ(rig.line.sent().size(), 1u);
    EXPECT_EQ(hexOf(rig.line.sent()[0]), "01 70 00 00 10 02 CC");
    EXPECT_EQ(r.crc, 0xCC02);
    EXPECT_EQ(r.displayText, "01 70 00 00 10");
    EXPECT_EQ(rig.line.clock().now - start, 150u);
    EXPECT_EQ(r.outcome, TickOutcome::Answered);
    EXPECT_EQ(r.replyText, "01 70 01 02 80 52  CRC16 OK");
    EXPECT_EQ(requestLogLine("08.12.2026 10:00:00", r.displayText), "08.12.2026 10:00:00< 01 70 00 00 10");
    EXPECT_EQ(replyLogLine("08.12.2026 10:00:00", r.replyText),
              "08.12.2026 10:00:00 > 01 70 01 02 80 52  CRC16 OK");
    EXPECT_TRUE(rig.engine.isFree());

    answerWith("01 70 01 02 52 80");
    EXPECT_EQ(runTestTick(rig.engine, list).replyText, "01 70 01 02 52 80  CRC16 Bad");
}

TEST_F(TesterTickRig, ShortReplyStopsTheGeneratorAndFreesTheLink) {
    list.addFile("/t/a.tst", {"09 78"});  // no node 9: silence
    TickResult r = runTestTick(rig.engine, list);
    EXPECT_EQ(r.outcome, TickOutcome::NoReply);
    EXPECT_EQ(timerAfterTick(CycleMode::Cyclic, r), TimerAfterTick::StopAndUncheck);
    // The link is free again: the main window's next transaction goes out.
    EXPECT_TRUE(rig.engine.isFree());
    EXPECT_FALSE(rig.state.LinkBusy);
    const size_t before = rig.line.sent().size();
    rig.engine.transact({1, 8, 0, 0, 0, 1}, {}, {}).code;
    EXPECT_EQ(rig.line.sent().size(), before + 1);

    answerWith("01 70");
    r = runTestTick(rig.engine, list);
    EXPECT_EQ(r.outcome, TickOutcome::NoReply);
    EXPECT_TRUE(rig.engine.isFree());
}

TEST_F(TesterTickRig, OnceModeSendsEachCommandOnce) {
    list.addFile("/t/a.tst", {"01 78", "01 78", "01 78"});
    list.addFile("/t/off.tst", {"02 78"});
    list.setChecked(1, false);  // the list's end lies beyond an unchecked file
    int ticks = 0;
    for (; ticks < 10; ++ticks) {
        const TickResult r = runTestTick(rig.engine, list);
        ASSERT_EQ(r.outcome, TickOutcome::Answered) << r.replyText;
        EXPECT_EQ(r.replyText.substr(r.replyText.size() - 10), "  CRC16 OK");
        if (timerAfterTick(CycleMode::Once, r) == TimerAfterTick::StopAndUncheck) break;
        EXPECT_EQ(timerAfterTick(CycleMode::Cyclic, r), TimerAfterTick::Rearm);
        EXPECT_EQ(timerAfterTick(CycleMode::Step, r), TimerAfterTick::Stop);
    }
    EXPECT_EQ(rig.line.sent().size(), 3u);
}

TEST_F(TesterTickRig, EmptyAndBadLinesSendNothing) {
    list.addFile("/t/a.tst", {"   ", "01 7X", "01 78"});
    TickResult r = runTestTick(rig.engine, list);
    EXPECT_EQ(r.outcome, TickOutcome::Empty);
    EXPECT_EQ(timerAfterTick(CycleMode::Cyclic, r), TimerAfterTick::Rearm);
    r = runTestTick(rig.engine, list);
    EXPECT_EQ(r.outcome, TickOutcome::Refused);
    EXPECT_EQ(r.message, "/t/a.tst, line 2: '$7X' is not a valid integer value");
    EXPECT_EQ(timerAfterTick(CycleMode::Cyclic, r), TimerAfterTick::StopAndUncheck);
    EXPECT_TRUE(rig.line.sent().empty());
    // The refused line is not passed over: the user sees where it stopped.
    EXPECT_EQ(runTestTick(rig.engine, list).outcome, TickOutcome::Refused);

    TestList idle;
    EXPECT_EQ(runTestTick(rig.engine, idle).outcome, TickOutcome::Idle);
    EXPECT_EQ(timerAfterTick(CycleMode::Cyclic, {}), TimerAfterTick::Keep);
}

TEST_F(TesterTickRig, BusyLinkIsLeftAlone) {
    list.addFile("/t/a.tst", {"01 78"});
    auto hold = rig.engine.hold();
    EXPECT_EQ(runTestTick(rig.engine, list).outcome, TickOutcome::Busy);
    EXPECT_TRUE(rig.line.sent().empty());
    EXPECT_EQ(list.position(), 0u);
}

TEST(TestEditor, RecordBuildsTheLineOfEachLayout) {
    struct Case { EditorInput in; const char* line; };
    const Case cases[] = {
        {{4, "1", "", "", "10", "8", ""}, "01 74 00 10 08"},
        {{5, "1", "", "", "10", "8", "1 2 3"}, "01 75 00 10 08  01 02 03"},
        {{5, "1", "", "", "10", "8", " 123  a "}, "01 75 00 10 08  23 0A"},
        {{8, "2F", "", "", "zz", "", "zz"}, "2F 78"},
        {{10, "1", "50", "3", "", "4", ""}, "01 7A 50 03 04"},
        {{11, "1", "50", "3", "", "2", "AA BB"}, "01 7B 50 03 02  AA BB"},
        {{0, "01", "", "", "ABCD", "FF", ""}, "01 70 AB CD FF"},
    };
    for (const Case& c : cases) {
        const EditorLine r = buildEditorLine(c.in);
        EXPECT_EQ(r.line, c.line) << c.line;
        EXPECT_TRUE(r.error.empty()) << r.error;
    }
}

TEST(TestEditor, RecordRefusesWhatCannotBeWritten) {
    const EditorInput refused[] = {
        {-1, "1", "", "", "10", "8", ""},      // no command chosen
        {4, "", "", "", "10", "8", ""},        // empty node
        {4, "1", "", "", "", "8", ""},         // empty address
        {4, "1", "", "", "10", "", ""},        // empty count
        {5, "1", "", "", "10", "8", "  "},     // no data
        {10, "1", "", "3", "", "4", ""},       // empty i2c address
        {4, "1", "", "", "10", "1G", ""},      // not hexadecimal
    };
    for (const EditorInput& in : refused) {
        const EditorLine r = buildEditorLine(in);
        EXPECT_TRUE(r.line.empty()) << r.line;
        EXPECT_FALSE(r.error.empty());
    }
}

TEST(TestEditor, FieldsAndKeys) {
    struct Row { int entry; bool data, count, res, i2c; };
    const Row rows[] = {{-1, 0, 1, 1, 0}, {0, 0, 1, 1, 0}, {2, 0, 1, 1, 0}, {3, 0, 1, 1, 0},
                        {4, 0, 1, 1, 0},  {6, 0, 1, 1, 0}, {1, 1, 1, 1, 0}, {5, 1, 1, 1, 0},
                        {7, 1, 1, 1, 0},  {9, 1, 1, 1, 0}, {8, 0, 0, 0, 0}, {10, 0, 1, 0, 1},
                        {11, 1, 1, 0, 1}};
    for (const Row& r : rows) {
        const EditorFields f = editorFieldsFor(r.entry);
        EXPECT_EQ(f.data, r.data) << r.entry;
        EXPECT_EQ(f.count, r.count) << r.entry;
        EXPECT_EQ(f.resourceAddress, r.res) << r.entry;
        EXPECT_EQ(f.i2c, r.i2c) << r.entry;
    }
    struct Key { char32_t in; bool data; char32_t out; };  // out 0: swallowed
    const Key keys[] = {{U'a', false, U'A'}, {U'f', false, U'F'}, {U'g', false, 0},
                        {U'9', false, U'9'}, {U' ', false, 0},    {U' ', true, U' '},
                        {3, false, 3},       {8, false, 8},       {22, false, 22},
                        {24, false, 24},     {13, false, 0},      {U'а', false, 0},
                        {U'-', true, 0}};
    for (const Key& k : keys)
        EXPECT_EQ(filterEditorKey(k.in, k.data).value_or(0), k.out) << static_cast<uint32_t>(k.in);
    EXPECT_STREQ(kEditorCommands[11], "[ 7B ] - запись в i2c");
}

TEST(TestCliWords, OptionsAndRefusals) {
    std::string error;
    auto r = cli::parseTestWords({"a.tst", "--once", "--period", "500", "--log", "x.log"}, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->file, "a.tst");
    EXPECT_TRUE(r->once);
    EXPECT_EQ(r->periodMs, 500u);
    EXPECT_EQ(r->logFile, "x.log");
    r = cli::parseTestWords({"a.tst"}, error);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->once);
    EXPECT_EQ(r->periodMs, 250u);
    const std::vector<std::vector<std::string>> refused = {
        {}, {"--once"}, {"a.tst", "b.tst"}, {"a.tst", "--period"}, {"a.tst", "--period", "0"},
        {"a.tst", "--period", "-5"}, {"a.tst", "--period", "1e3"}, {"a.tst", "--log"}, {"a.tst", "--fast"}};
    for (const auto& words : refused) {
        error.clear();
        EXPECT_FALSE(cli::parseTestWords(words, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(TesterTickRig, CliPrintsMonitorLinesAndStopsOnSilence) {
    cli::TestRequest request;
    request.file = "/t/a.tst";
    request.once = true;
    request.lines = {"01 78", "", "01 78"};
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    std::FILE* err = std::fopen("/dev/null", "w");
    const uint64_t start = rig.line.clock().now;
    EXPECT_EQ(cli::runTestCommand(rig.engine, request, out, err), 0);
    std::fclose(out);
    const std::string printed(text, size);
    std::free(text);
    // Two frames of 150 ms, and the period after each tick but the last (the empty line
    // is a tick of its own).
    EXPECT_EQ(rig.line.clock().now - start, 150u + 250u + 250u + 150u);
    EXPECT_EQ(printed.substr(0, 16), "< 01 78\n> 01 78 ");
    const size_t second = printed.find("\n< 01 78\n> 01 78 ");
    ASSERT_NE(second, std::string::npos) << printed;
    EXPECT_EQ(printed.find("\n< ", second + 1), std::string::npos) << printed;
    EXPECT_EQ(printed.substr(printed.size() - 11), "  CRC16 OK\n");

    request.lines = {"09 78"};
    out = std::fopen("/dev/null", "w");
    EXPECT_EQ(cli::runTestCommand(rig.engine, request, out, err), 1);
    std::fclose(out);
    std::fclose(err);
    EXPECT_TRUE(rig.engine.isFree());
}

// The whole file is judged before its first frame: a bad line anywhere, or no command at
// all, is refused with the file and line named and nothing reaches the line.
TEST_F(TesterTickRig, FileIsCheckedWholeBeforeAnythingIsSent) {
    struct Case {
        std::vector<std::string> lines;
        size_t badLine;       // 0: no line at fault
        std::string message;  // empty: accepted
    };
    const Case cases[] = {
        {{"01 7G", "01 78", "01 78"}, 1, "/t/a.tst, line 1: '$7G' is not a valid integer value"},
        {{"01 78", "0 170", "01 78"}, 2, "/t/a.tst, line 2: '$0 ' is not a valid integer value"},
        {{"01 78", "", "01 78", "01 78 -1"}, 4,
         "/t/a.tst, line 4: '$-1' is not a valid integer value"},
        {{"", "   ", "\t", " \r"}, 0, "/t/a.tst holds no command"},
        {{}, 0, "/t/a.tst holds no command"},
        {{"01 78", "", " 0178 "}, 0, ""},
    };
    for (const Case& c : cases) {
        const TestFileVerdict verdict = checkTestFile("/t/a.tst", c.lines);
        EXPECT_EQ(verdict.ok, c.message.empty()) << c.message;
        EXPECT_EQ(verdict.line, c.badLine) << c.message;
        EXPECT_EQ(verdict.message, c.message);

        cli::TestRequest request;
        request.file = "/t/a.tst";
        request.once = true;
        request.lines = c.lines;
        std::FILE* out = std::fopen("/dev/null", "w");
        char* text = nullptr;
        size_t size = 0;
        std::FILE* err = open_memstream(&text, &size);
        const size_t before = rig.line.sent().size();
        const int status = cli::runTestCommand(rig.engine, request, out, err);
        std::fclose(out);
        std::fclose(err);
        const std::string printed(text, size);
        std::free(text);
        if (c.message.empty()) {
            EXPECT_EQ(status, 0) << printed;
            EXPECT_EQ(rig.line.sent().size(), before + 2);
        } else {
            EXPECT_EQ(status, 2) << c.message;
            EXPECT_EQ(printed, "velmora-cli: " + c.message + "\n");
            EXPECT_EQ(rig.line.sent().size(), before) << c.message;
        }
    }
}
