// The Windows-1251 <-> UTF-8 conversion. Input: the same bytes taken both ways.
//
// From Windows-1251: the UTF-8 must be well formed and convert back to the same bytes;
// 0x98, the one byte with no character, comes back as '?'.
// From UTF-8: a sequence of two or more bytes never stands for an ASCII character (that
// would be an over-long form, which a decoder must refuse), and converting the result
// to UTF-8 and back changes nothing.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/Cp1251.h"

using namespace velmora;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_cp1251: %s\n", what);
    std::abort();
}

// Shortest-form UTF-8 without surrogates, checked byte by byte.
bool wellFormedUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        auto b = static_cast<uint8_t>(s[i]);
        size_t extra = b < 0x80                 ? 0
                       : b >= 0xC2 && b <= 0xDF ? 1
                       : b >= 0xE0 && b <= 0xEF ? 2
                       : b >= 0xF0 && b <= 0xF4 ? 3
                                                : 9;
        if (extra == 9 || (extra > 0 && i + extra >= s.size())) return false;
        char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            auto c = static_cast<uint8_t>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

size_t asciiLetters(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        if (static_cast<uint8_t>(c) < 0x80 && c != '?') ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = cp1251ToUtf8(input);
    if (!wellFormedUtf8(utf8)) fault("Windows-1251 gave malformed UTF-8");
    std::string expected(input);
    for (char& c : expected)
        if (static_cast<uint8_t>(c) == 0x98) c = '?';
    if (utf8ToCp1251(utf8) != expected)
        fault("Windows-1251 -> UTF-8 -> Windows-1251 changed bytes");

    const std::string cp1251 = utf8ToCp1251(input);
    if (asciiLetters(cp1251) > asciiLetters(input)) fault("an over-long UTF-8 form was decoded");
    if (utf8ToCp1251(cp1251ToUtf8(cp1251)) != cp1251) fault("UTF-8 result does not round trip");
    return 0;
}
