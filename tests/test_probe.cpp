// The test probe's request lines: which it takes and what it reads from them.

#include <gtest/gtest.h>

#include "common/gui/TestProbe.h"

using velmora::gui::ProbeRequest;
using velmora::gui::parseProbeRequest;

TEST(TestProbe, ReadsEachRequestWithItsWordsAndRefusesOthers) {
    const struct {
        const char* line;
        bool taken;
        ProbeRequest::Verb verb = ProbeRequest::Where;
        const char* name = "";
        int row = -1, column = -1;
    } cases[] = {
        {"where edAdrRAM", true, ProbeRequest::Where, "edAdrRAM", -1, -1},
        {"tab pcChan 2", true, ProbeRequest::Tab, "pcChan", 2, -1},
        {"item sgRAM 3 16\r", true, ProbeRequest::Item, "sgRAM", 3, 16},
        {"text  sb1 ", true, ProbeRequest::Text, "sb1", -1, -1},
        {"text tvSysInf 4 0", true, ProbeRequest::Text, "tvSysInf", 4, 0},
        {"current lbSFR", true, ProbeRequest::Current, "lbSFR", -1, -1},
        {"state mmTools", true, ProbeRequest::State, "mmTools", -1, -1},
        {"focus", true, ProbeRequest::Focus, "", -1, -1},
        {"windows", true, ProbeRequest::Windows, "", -1, -1},
        {"active", true, ProbeRequest::Active, "", -1, -1},
        {"", false},
        {"where", false},              // no name
        {"focus sgRAM", false},        // a name it does not take
        {"tab pcChan", false},         // no index
        {"tab pcChan -1", false},      // no sign
        {"item sgRAM 3", false},       // a row without its column
        {"text sb1 3", false},         // likewise
        {"item sgRAM 3 x", false},
        {"click pcChan", false},       // the probe only looks
    };
    for (const auto& c : cases) {
        const auto r = parseProbeRequest(c.line);
        ASSERT_EQ(r.has_value(), c.taken) << '"' << c.line << '"';
        if (!r) continue;
        EXPECT_EQ(r->verb, c.verb) << c.line;
        EXPECT_EQ(r->name, c.name) << c.line;
        EXPECT_EQ(r->row, c.row) << c.line;
        EXPECT_EQ(r->column, c.column) << c.line;
    }
}
