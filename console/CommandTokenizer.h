#pragma once
// The command line's hexadecimal bytes, read the way the console always has: a blank
// ends a token, and a token keeps only its last two characters ("123" is 0x23). Text
// may come whole or a character at a time (typed, pasted, read from a file); the
// tokenizer keeps its state between calls.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::console {

// Longest frame before its CRC: with the two CRC bytes it fills 256 bytes with room to spare
// for the engine's one-byte length.
inline constexpr size_t kMaxCommandBytes = 254;

enum class CommandError {
    None,
    BadToken,  // a token that is not a hexadecimal number (only pasted text can hold one)
    TooLong,   // more than kMaxCommandBytes bytes
};

struct ParsedCommand {
    std::vector<uint8_t> bytes;  // empty when nothing was typed, or on an error
    CommandError error = CommandError::None;
    std::string badToken;  // the offending token as kept (its last two characters)
};

// The text the user sees for a refused command.
std::string commandErrorText(const ParsedCommand& command);

class CommandTokenizer {
public:
    // UTF-8 text, in any pieces; a character split across pieces is put back together.
    void feed(std::string_view text);
    ParsedCommand finish();

private:
    void feedChar(const std::string& ch);
    void apply(const std::string& ch);
    void endToken();

    std::string pending_;             // an unfinished UTF-8 sequence
    std::vector<std::string> token_;  // at most the last two characters
    // Blanks and control characters since the last other character: they only count
    // once something follows them, as the line is taken without them at both ends.
    std::vector<std::string> held_;
    bool started_ = false;
    ParsedCommand out_;
    size_t count_ = 0;
};

// The whole line at once, blanks around it ignored.
ParsedCommand parseCommandLine(std::string_view text);

}  // namespace velmora::console
