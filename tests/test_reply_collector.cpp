// Reply collection: matching a reply to its request, completion, overflow and the CRC,
// with every stream fed whole, byte by byte and in pieces of three.

#include <gtest/gtest.h>

#include "link/ReplyCollector.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora::link;
using velmora::test::bytesOf;
using velmora::test::hexOf;

namespace {

// Frames with CRCs worked out apart from this code.
constexpr const char* kNode1Read4 = "01 70 00 50 04 00 00 00 01 3C 14";
constexpr const char* kNode2Read4 = "02 70 00 50 04 00 00 00 01 28 E4";
constexpr const char* kNode1Error7 = "01 87 00 43 F0";

struct Case {
    const char* name;
    std::string stream;
    ReplyVerdict verdict;
    const char* reply;   // what RxBuf holds
    const char* strays;  // what was set aside
};

std::vector<Case> cases() {
    const std::string a = kNode1Read4;
    return {
        {"exact", a, ReplyVerdict::Complete, kNode1Read4, ""},
        {"other node first", std::string(kNode2Read4) + " " + a, ReplyVerdict::Complete,
         kNode1Read4, kNode2Read4},
        {"node matches, command does not", "01 71 " + a, ReplyVerdict::Complete, kNode1Read4,
         "01 71"},
        {"node byte twice", "01 " + a, ReplyVerdict::Complete, kNode1Read4, "01"},
        {"noise", "FF 00 70 " + a, ReplyVerdict::Complete, kNode1Read4, "FF 00 70"},
        {"error reply", kNode1Error7, ReplyVerdict::ErrorReply, kNode1Error7, ""},
        {"error reply behind noise", std::string("33 ") + kNode1Error7, ReplyVerdict::ErrorReply,
         kNode1Error7, "33"},
        {"error reply, bad CRC", "01 87 00 43 F1", ReplyVerdict::BadCrc, "01 87 00 43 F1", ""},
        {"error reply and more", std::string(kNode1Error7) + " 00", ReplyVerdict::Incomplete,
         "01 87 00 43 F0 00", ""},
        {"bad CRC", "01 70 00 50 04 00 00 00 01 3C 15", ReplyVerdict::BadCrc,
         "01 70 00 50 04 00 00 00 01 3C 15", ""},
        {"short", "01 70 00 50 04 00 00 00 01 3C", ReplyVerdict::Incomplete,
         "01 70 00 50 04 00 00 00 01 3C", ""},
        {"long", a + " 00", ReplyVerdict::Incomplete, "01 70 00 50 04 00 00 00 01 3C 14 00", ""},
        {"only strays", kNode2Read4, ReplyVerdict::Incomplete, "", kNode2Read4},
        // An error reply's start that runs on to the full length, CRC and all, is not the
        // answer either (01 FF ... with a good CRC).
        {"error start at full length", "01 FF 00 50 04 00 00 00 01 74 34", ReplyVerdict::Incomplete,
         "01 FF 00 50 04 00 00 00 01 74 34", ""},
    };
}

ReplyExpectation node1Read4() {
    return ReplyExpectation{11, true, 0x01, 0x70};
}

void feedInPieces(ReplyCollector& c, const std::vector<uint8_t>& bytes, size_t piece) {
    for (size_t i = 0; i < bytes.size(); i += piece)
        c.feed(bytes.data() + i, std::min(piece, bytes.size() - i));
}

TEST(ReplyCollector, MatchesCompletesAndChecksInAnyPieces) {
    for (const Case& k : cases()) {
        for (size_t piece : {size_t{1000}, size_t{1}, size_t{3}}) {
            LinkState state;
            ReplyCollector c(state);
            c.begin(node1Read4());
            feedInPieces(c, bytesOf(k.stream), piece);
            EXPECT_EQ(c.verdict(), k.verdict) << k.name << " / " << piece;
            EXPECT_EQ(hexOf({state.RxBuf.begin(), state.RxBuf.begin() + static_cast<long>(
                                                                         c.stored())}),
                      k.reply)
                << k.name << " / " << piece;
            EXPECT_EQ(hexOf(c.strays()), k.strays) << k.name << " / " << piece;
        }
    }
}

TEST(ReplyCollector, WithoutMatchingEveryByteIsTheReply) {
    LinkState state;
    ReplyCollector c(state);
    c.begin(ReplyExpectation{0, false, 0, 0});
    const auto bytes = bytesOf(kNode2Read4);
    c.feed(bytes.data(), bytes.size());
    EXPECT_EQ(state.RxCount, 11);
    EXPECT_TRUE(c.strays().empty());
    EXPECT_EQ(c.verdict(), ReplyVerdict::Incomplete);  // no length known: never complete
}

// A reply can never be whole in RxBuf past 256 bytes: the buffer's neighbours stay
// untouched and the verdict is a CRC failure at the expected length, never success.
TEST(ReplyCollector, LongerThanRxBuf) {
    for (size_t expected : {size_t{256}, size_t{257}, size_t{262}, size_t{300}}) {
        LinkState state;
        ReplyCollector c(state);
        c.begin(ReplyExpectation{expected, true, 0x01, 0x70});
        std::vector<uint8_t> bytes(expected, 0xAB);
        bytes[0] = 0x01;
        bytes[1] = 0x70;
        feedInPieces(c, bytes, 1);
        EXPECT_EQ(state.RxCount, expected);
        EXPECT_EQ(c.stored(), std::min<size_t>(expected, 256));
        EXPECT_EQ(c.verdict(), ReplyVerdict::BadCrc) << expected;
    }
}

TEST(ReplyCollector, TooShortForACrcIsABadCrc) {
    // An initialisation expects one byte; one byte cannot carry a CRC.
    LinkState state;
    ReplyCollector c(state);
    c.begin(ReplyExpectation{1, false, 0x01, 0x79});
    const uint8_t b = 0x01;
    c.feed(&b, 1);
    EXPECT_EQ(c.verdict(), ReplyVerdict::BadCrc);
}

TEST(ReplyCollector, BeginForgetsThePreviousReply) {
    LinkState state;
    ReplyCollector c(state);
    c.begin(node1Read4());
    const auto first = bytesOf(std::string("44 ") + kNode1Read4);
    c.feed(first.data(), first.size());
    c.begin(node1Read4());
    EXPECT_EQ(state.RxCount, 0);
    EXPECT_TRUE(c.strays().empty());
    EXPECT_EQ(c.strayCount(), 0u);
    EXPECT_EQ(c.verdict(), ReplyVerdict::Incomplete);
}

}  // namespace
