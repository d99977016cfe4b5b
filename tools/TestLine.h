#pragma once
// One command line of a test file: hexadecimal pairs, blanks between pairs optional
// ("0170 0000 10" is the same frame as "01 70 00 00 10"). The CRC16 is not in the file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tools {

// TxBuf holds 256 bytes and the tester appends two CRC bytes.
inline constexpr size_t kMaxTestLineBytes = 254;

enum class TestLineError { None, BadPair, TooLong };

struct TestLineBytes {
    std::vector<uint8_t> bytes;
    TestLineError error = TestLineError::None;
    std::string badPair;  // the characters that are not a hexadecimal byte
};

// Control characters and blanks at both ends removed (line ends of any kind included).
std::string_view trimTestLine(std::string_view line);

// Two characters make a byte, blanks after a pair are skipped; a lone last digit is a
// byte of its own. On an error no bytes are returned.
TestLineBytes parseTestLine(std::string_view line);

// The standard conversion-error text for a refused line.
std::string testLineErrorText(const TestLineBytes& parsed);

}  // namespace velmora::tools
