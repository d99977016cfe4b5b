#include "tools/TestLine.h"

namespace velmora::tools {

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
bool trimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }
}  // namespace

std::string_view trimTestLine(std::string_view line) {
    while (!line.empty() && trimmed(line.front())) line.remove_prefix(1);
    while (!line.empty() && trimmed(line.back())) line.remove_suffix(1);
    return line;
}

TestLineBytes parseTestLine(std::string_view line) {
    TestLineBytes out;
    std::string_view rest = trimTestLine(line);
    size_t pairs = 0;
    while (!rest.empty()) {
        const std::string_view pair = rest.substr(0, 2);
        int value = 0;
        for (char c : pair) {
            const int d = hexValue(c);
            if (d < 0) {
                out.error = TestLineError::BadPair;
                out.badPair = std::string(pair);
                out.bytes.clear();
                return out;
            }
            value = value * 16 + d;
        }
        // A bad pair anywhere is the first thing to say; past the limit bytes are only counted.
        if (++pairs <= kMaxTestLineBytes) out.bytes.push_back(static_cast<uint8_t>(value));
        rest.remove_prefix(pair.size());
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    }
    if (pairs > kMaxTestLineBytes) {
        out.error = TestLineError::TooLong;
        out.bytes.clear();
    }
    return out;
}

std::string testLineErrorText(const TestLineBytes& parsed) {
    switch (parsed.error) {
    case TestLineError::None: return {};
    case TestLineError::BadPair: return "'$" + parsed.badPair + "' is not a valid integer value";
    case TestLineError::TooLong:
        return "A command line holds at most " + std::to_string(kMaxTestLineBytes) + " bytes";
    }
    return {};
}

}  // namespace velmora::tools
