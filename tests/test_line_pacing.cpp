// When the bytes of a paced reply are due and the pieces they reach the terminal in.
// Expected times are worked out by hand at 10 bits a byte, rounded up to a nanosecond.

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "sim/LinePacing.h"

using namespace velmora::sim;
using std::chrono::nanoseconds;

TEST(LinePacing, ByteIsDueWhenItsTenBitsHaveLeftTheLine) {
    struct Case {
        size_t index;
        uint32_t baud;
        int64_t ns;
    };
    const Case cases[] = {
        {0, 9600, 1'041'667},        // 10 / 9600 s = 1041666.67 ns
        {1, 9600, 2'083'334},        // 20 / 9600 s = 2083333.33 ns
        {959, 9600, 1'000'000'000},  // 960 bytes at 960 bytes a second: exactly 1 s
        {0, 115200, 86'806},         // 10 / 115200 s = 86805.56 ns
        {0, 57600, 173'612},         // 10 / 57600 s = 173611.11 ns
        {11, 1200, 100'000'000},     // 120 / 1200 s = 0.1 s
        {0, 0, 0},                   // unpaced
        {500, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(byteDueTime(c.index, c.baud), nanoseconds(c.ns))
            << "byte " << c.index << " at " << c.baud;
}

TEST(LinePacing, WireTimeOfWholeReplies) {
    struct Case {
        size_t bytes;
        uint32_t baud;
        int64_t ns;
    };
    const Case cases[] = {
        {128, 115200, 11'111'112},  // 1280 / 115200 s = 11.111 ms
        {256, 115200, 22'222'223},  // 2560 / 115200 s = 22.222 ms
        {256, 9600, 266'666'667},   // 2560 / 9600 s = 266.667 ms
        {8, 9600, 8'333'334},       // an 8-byte request: 80 / 9600 s
        {0, 9600, 0},
        {128, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lineTime(c.bytes, c.baud), nanoseconds(c.ns)) << c.bytes << " at " << c.baud;
}

TEST(LinePacing, ReplyGoesOutInAdapterPiecesDueAtTheirLastByte) {
    struct Piece {
        size_t offset;
        size_t size;
        int64_t dueNs;
    };
    struct Case {
        size_t bytes;
        uint32_t baud;
        std::vector<Piece> pieces;
    };
    const Case cases[] = {
        // 16 bytes at 9600 take 160 / 9600 s = 16.667 ms; every piece counts from the start.
        {128,
         9600,
         {{0, 16, 16'666'667},
          {16, 16, 33'333'334},
          {32, 16, 50'000'000},
          {48, 16, 66'666'667},
          {64, 16, 83'333'334},
          {80, 16, 100'000'000},
          {96, 16, 116'666'667},
          {112, 16, 133'333'334}}},
        {20, 9600, {{0, 16, 16'666'667}, {16, 4, 20'833'334}}},  // 200 / 9600 s
        {16, 115200, {{0, 16, 1'388'889}}},                      // 160 / 115200 s
        {1, 1200, {{0, 1, 8'333'334}}},                          // 10 / 1200 s
        {40, 0, {{0, 40, 0}}},                                   // unpaced: all at once
        {0, 9600, {}},
    };
    for (const Case& c : cases) {
        const std::vector<PacedPiece> got = pacedPieces(c.bytes, c.baud);
        ASSERT_EQ(got.size(), c.pieces.size()) << c.bytes << " at " << c.baud;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].offset, c.pieces[i].offset) << c.bytes << " piece " << i;
            EXPECT_EQ(got[i].size, c.pieces[i].size) << c.bytes << " piece " << i;
            EXPECT_EQ(got[i].due, nanoseconds(c.pieces[i].dueNs)) << c.bytes << " piece " << i;
        }
    }
}

TEST(LinePacing, PiecesCoverTheReplyAndItEndsOnItsWireTime) {
    // Rounding each piece on its own would stretch the reply; a 128-byte reply at
    // 115200 bit/s must still end at 1280 / 115200 s, not at 8 whole milliseconds x 2.
    for (uint32_t baud : {1200u, 9600u, 19200u, 57600u, 115200u}) {
        for (size_t bytes = 1; bytes <= 300; ++bytes) {
            const std::vector<PacedPiece> pieces = pacedPieces(bytes, baud);
            size_t next = 0;
            nanoseconds previous{0};
            for (const PacedPiece& p : pieces) {
                EXPECT_EQ(p.offset, next);
                EXPECT_GE(p.size, 1u);
                EXPECT_LE(p.size, 16u);
                EXPECT_GT(p.due, previous);
                next += p.size;
                previous = p.due;
            }
            EXPECT_EQ(next, bytes) << bytes << " at " << baud;
            const double wireNs = static_cast<double>(bytes) * 10 / baud * 1e9;
            EXPECT_NEAR(static_cast<double>(previous.count()), wireNs, 1.0)
                << bytes << " at " << baud;
        }
    }
}
