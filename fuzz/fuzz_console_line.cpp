// A command line as typed or pasted, any bytes at all. The tokenizer must give the same
// answer whole and in pieces, agree with a plain reading of the rule written here (blank
// separated tokens, only a token's last two characters count), and what it accepts must
// make a frame whose CRC checks and whose log lines put back together give the frame.
// The same bytes, taken as a reply, must print as lines that give the reply back.
// Input: one byte choosing the piece size, then the text.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/HexText.h"
#include "console/CommandKeyFilter.h"
#include "console/CommandTokenizer.h"
#include "console/ConsoleFrame.h"
#include "console/ConsoleLines.h"

using namespace velmora;
using namespace velmora::console;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_console_line: %s\n", what);
    std::abort();
}

// Characters: whole UTF-8 sequences where they are whole, single bytes otherwise.
std::vector<std::string> characters(std::string_view s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<uint8_t>(s[i]);
        size_t n = (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3
                   : (b >= 0xF0 && b <= 0xF4) ? 4 : 1;
        bool whole = i + n <= s.size();
        for (size_t k = 1; whole && k < n; ++k)
            whole = (static_cast<uint8_t>(s[i + k]) & 0xC0) == 0x80;
        if (!whole) n = 1;
        out.emplace_back(s.substr(i, n));
        i += n;
    }
    return out;
}

int hexDigit(const std::string& ch) {
    if (ch.size() != 1) return -1;
    const char c = ch[0];
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

ParsedCommand reference(std::string_view text) {
    const std::vector<std::string> chars = characters(text);
    auto trimmed = [](const std::string& ch) { return ch.size() == 1 && static_cast<uint8_t>(ch[0]) <= 0x20; };
    size_t first = 0, last = chars.size();
    while (first < last && trimmed(chars[first])) ++first;
    while (last > first && trimmed(chars[last - 1])) --last;
    ParsedCommand out;
    std::vector<std::vector<std::string>> tokens(1);
    for (size_t i = first; i < last; ++i) {
        const std::string& ch = chars[i];
        if (ch == " ") tokens.emplace_back();
        else tokens.back().push_back(ch);
    }
    size_t count = 0;
    for (auto& token : tokens) {
        if (token.empty()) continue;
        if (token.size() > 2) token = {token[token.size() - 2], token.back()};
        int value = 0;
        for (const std::string& ch : token) {
            const int d = hexDigit(ch);
            if (d < 0) {
                out.error = CommandError::BadToken;
                for (const std::string& c : token) out.badToken += c;
                out.bytes.clear();
                return out;
            }
            value = value * 16 + d;
        }
        ++count;
        out.bytes.push_back(static_cast<uint8_t>(value));
    }
    if (count > kMaxCommandBytes) {
        out.error = CommandError::TooLong;
        out.bytes.clear();
    }
    return out;
}

// The lines without their prefixes, joined: the bytes as "HH " each.
std::string joined(const std::vector<LogLine>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& t = lines[i].text;
        const std::string prefix = i == 0 && lines.size() > 1 ? "<= " : "   ";
        if (t.compare(0, 3, prefix) != 0) fault("reply line without its prefix");
        if (t.size() > 3 + 48) fault("reply line of more than 16 bytes");
        if (i + 1 < lines.size() && t.size() != 3 + 48) fault("short reply line before the last");
        out += t.substr(3);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = data[0] % 8 + 1;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const ParsedCommand whole = parseCommandLine(text);
    CommandTokenizer t;
    for (size_t i = 0; i < text.size(); i += piece) t.feed(text.substr(i, piece));
    const ParsedCommand pieces = t.finish();
    if (pieces.bytes != whole.bytes || pieces.error != whole.error || pieces.badToken != whole.badToken)
        fault("pieces and whole text differ");
    const ParsedCommand ref = reference(text);
    if (ref.bytes != whole.bytes || ref.error != whole.error || ref.badToken != whole.badToken)
        fault("differs from the plain reading");

    if (whole.error == CommandError::None && !whole.bytes.empty()) {
        for (CrcOrder order : {CrcOrder::LowFirst, CrcOrder::HighFirst}) {
            const std::vector<uint8_t> frame = withCrc(whole.bytes, order);
            if (frame.size() > 256) fault("frame longer than 256 bytes");
            if (!replyCrcOk(frame.data(), frame.size(), order)) fault("own frame fails its CRC");
            if (requestLine(frame).text != "=> " + hexBytes(frame.data(), frame.size()))
                fault("request line is not the frame");
        }
    }

    const size_t replyLength = size < 256 ? size : 256;
    if (joined(replyLines(data, replyLength)) != hexBytes(data, replyLength))
        fault("reply lines do not give the reply back");

    for (const std::string& ch : characters(text)) {
        const auto b = static_cast<uint8_t>(ch[0]);
        const FilteredKey k = filterCommandKey(ch.size() == 1 ? char32_t{b} : char32_t{0x410});
        if (k.verdict == KeyVerdict::Insert && k.ch != U' ' && hexDigit(std::string(1, static_cast<char>(k.ch))) < 0)
            fault("key filter lets a non-hex character in");
        if (k.verdict == KeyVerdict::Insert && k.ch >= U'a') fault("key filter inserts lower case");
    }
    return 0;
}
