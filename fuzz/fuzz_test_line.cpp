// A test-file line, any bytes at all. The reading must agree with a plain reading of the
// rule written here (outer blanks and control characters dropped, two characters a byte,
// blanks after a pair skipped), never give more bytes than a frame can hold, and what it
// accepts, written back as "HH " pairs, must read as the same bytes. The same bytes taken
// as a reply must give a reply text that lists them and ends in a verdict.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/HexText.h"
#include "tools/TestLine.h"
#include "tools/TesterTick.h"

using namespace velmora;
using namespace velmora::tools;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_test_line: %s\n", what);
    std::abort();
}

int digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

TestLineBytes reference(std::string s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.erase(s.begin());
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.pop_back();
    TestLineBytes out;
    size_t i = 0;
    while (i < s.size()) {
        const std::string pair = s.substr(i, 2);
        int v = 0;
        for (char c : pair) {
            if (digit(c) < 0) {
                out.error = TestLineError::BadPair;
                out.badPair = pair;
                out.bytes.clear();
                return out;
            }
            v = v * 16 + digit(c);
        }
        out.bytes.push_back(static_cast<uint8_t>(v));
        i += pair.size();
        while (i < s.size() && s[i] == ' ') ++i;
    }
    if (out.bytes.size() > kMaxTestLineBytes) {
        out.error = TestLineError::TooLong;
        out.bytes.clear();
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TestLineBytes got = parseTestLine(text);
    const TestLineBytes ref = reference(text);
    if (got.error != ref.error || got.bytes != ref.bytes) fault("differs from the plain reading");
    if (got.error == TestLineError::BadPair && got.badPair != ref.badPair) fault("wrong bad pair");
    if (got.error != TestLineError::None && testLineErrorText(got).empty()) fault("refusal without a text");
    if (got.bytes.size() > kMaxTestLineBytes) fault("more bytes than a frame holds");
    if (got.error == TestLineError::None) {
        const TestLineBytes again = parseTestLine(hexBytes(got.bytes.data(), got.bytes.size()));
        if (again.error != TestLineError::None || again.bytes != got.bytes) fault("written back, reads differently");
    }
    const size_t n = size < 256 ? size : 256;
    const std::string reply = testReplyText(data, n);
    const std::string listed = hexBytes(data, n);
    if (reply.compare(0, listed.size(), listed) != 0) fault("reply text does not list the bytes");
    const std::string verdict = reply.substr(listed.size());
    if (verdict != " CRC16 OK" && verdict != " CRC16 Bad") fault("reply text without a verdict");
    if (n < 3 && verdict == " CRC16 OK") fault("too short a reply passes");
    return 0;
}
