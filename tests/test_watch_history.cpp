// The watch list's history: the value of a variable's bytes, the bounded samples with
// their gaps, the CSV text, the colours of entries, and the chart's time span.

#include <gtest/gtest.h>

#include "tools/WatchHistory.h"
#include "tools/WatchList.h"

using namespace velmora::tools;
using velmora::access::moduleAt;

TEST(WatchHistoryValues, BytesLowFirstAndEntryNames) {
    struct Case {
        std::vector<uint8_t> bytes;
        uint64_t value;
    };
    const Case cases[] = {
        {{0x5C}, 92},
        {{0x5C, 0x00}, 92},
        {{0x00, 0x01}, 256},
        {{0x00, 0x00, 0x00, 0x01}, 16777216},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 18446744073709551615u},
    };
    for (const Case& c : cases) EXPECT_EQ(watchValue(c.bytes), c.value) << c.value;
    EXPECT_EQ(watchEntryName({moduleAt(0x02, 0), 0x1A3, 2}), "02 1A3 2");
    EXPECT_EQ(watchEntryName({moduleAt(0x01, 0x10), 0x050, 8}), "01 10 050 8");
}

TEST(WatchHistorySamples, KeepTheNewestAndTheirGaps) {
    WatchHistory h(3);
    for (uint64_t t = 1; t <= 5; ++t) h.record(7, t * 100, t == 4 ? std::nullopt : std::optional<uint64_t>(t));
    h.record(9, 650, 1);
    const SampleRing* r = h.samples(7);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->size(), 3u);
    const uint64_t times[] = {300, 400, 500};
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ((*r)[i].atMs, times[i]);
    EXPECT_EQ((*r)[0].value, 3u);
    EXPECT_FALSE((*r)[1].value.has_value()) << "a failed read is a gap, not a zero";
    EXPECT_EQ(h.firstMs(), 100u) << "counted from the first read, even once it has gone";
    EXPECT_EQ(h.newestMs(), 650u);
    h.forget(7);
    EXPECT_EQ(h.samples(7), nullptr);
    EXPECT_NE(h.samples(9), nullptr);
}

TEST(WatchHistoryCsv, HeaderRowsAndEmptyCells) {
    WatchHistory h;
    h.record(1, 1000, 92);
    h.record(2, 1000, std::nullopt);
    h.record(1, 1500, 93);
    h.record(2, 1500, 7);
    h.record(1, 2003, std::nullopt);
    h.record(2, 2003, 8);
    struct Case {
        const char* why;
        std::vector<CsvColumn> columns;
        const char* text;
    };
    const Case cases[] = {
        {"two columns, a failed read each",
         {{"02 1A3 2", h.samples(1)}, {"01 10 050 1", h.samples(2)}},
         "time_ms,02 1A3 2,01 10 050 1\n0,92,\n500,93,7\n1003,,8\n"},
        {"names quoted CSV style", {{"a,b", h.samples(1)}, {"say \"hi\"", nullptr}},
         "time_ms,\"a,b\",\"say \"\"hi\"\"\"\n0,92,\n500,93,\n1003,,\n"},
        {"nothing read", {{"x", nullptr}}, "time_ms,x\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(watchCsv(c.columns, 1000), c.text) << c.why;

    // An entry added later has empty cells for the passes before it.
    WatchHistory late;
    late.record(1, 10, 1);
    late.record(1, 20, 2);
    late.record(2, 20, 5);
    EXPECT_EQ(watchCsv({{"a", late.samples(1)}, {"b", late.samples(2)}}, 10), "time_ms,a,b\n0,1,\n10,2,5\n");
}

TEST(WatchListColours, AnEntryKeepsItsColourWhenOthersGo) {
    WatchList list;
    for (const char* a : {"00A", "00B", "00C"}) list.add(2, 0, a, 1);
    const uint32_t idC = list.idOf(2);
    list.remove(0);
    ASSERT_EQ(list.entries()[1].address, 0x00C);
    EXPECT_EQ(list.colourOf(1), 2u);
    EXPECT_EQ(list.idOf(1), idC);
    list.add(2, 0, "00D", 1);  // takes the colour that came free
    EXPECT_EQ(list.colourOf(2), 0u);
    EXPECT_NE(list.idOf(2), list.idOf(0));
    EXPECT_NE(list.idOf(2), list.idOf(1));
}

TEST(WatchChartSpan, FollowsPausesAndZooms) {
    using Range = std::pair<uint64_t, uint64_t>;
    ChartSpan s;
    EXPECT_EQ(s.range(100000), Range(40000, 100000)) << "a minute to the newest";
    s.zoom(1, 0.2, 100000);  // while following, the newest stays at the right edge
    EXPECT_EQ(s.range(130000), Range(100000, 130000));
    s.freeze(130000);
    EXPECT_EQ(s.range(200000), Range(100000, 130000));
    s.zoom(1, 0.5, 200000);  // about the middle, 115 s: ten seconds around it
    EXPECT_EQ(s.range(200000), Range(110000, 120000));
    s.zoom(-9, 0.0, 200000);  // out to the longest span, never past the newest sample
    EXPECT_EQ(s.spanMs(), 3600000u);
    EXPECT_EQ(s.range(200000).second, 200000u);
    EXPECT_FALSE(s.following());
    s.follow();
    EXPECT_EQ(s.range(4000000), Range(400000, 4000000));
    EXPECT_EQ(s.range(5000).first, 0u) << "not before the clock's start";
}
