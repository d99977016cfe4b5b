// The identifier names file (titleId.dat), as anyone may leave it in the working
// directory. Every name must be one clean line of UTF-8 (no control characters, so the
// list and a terminal show it as a line), there are never more names than fields a block
// can hold, and a failed read lists each name once with "Нет данных".

#include <cstdio>
#include <cstdlib>
#include <string>

#include "system/IdentBlock.h"
#include "system/IdentNames.h"

using namespace velmora::system;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_ident_names: %s\n", what);
    std::abort();
}

bool hasControl(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto names = parseIdentNames(text);
    if (names.size() > kMaxNames) fault("more names than a block has fields");
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    const size_t expected = std::min(kMaxNames, lines + (!text.empty() && text.back() != '\n'));
    if (names.size() != expected) fault("a line was lost or made up");
    for (const std::string& n : names)
        if (hasControl(n)) fault("a control character in a name");
    const auto shown = identFieldLines(erasedIdent(), false, names);
    if (shown.size() != names.size()) fault("not one line per name");
    for (const std::string& l : shown)
        if (l.size() < kNameWidth || l.rfind(kNoData) != l.size() - std::string(kNoData).size())
            fault("a no-data line is not padded name + Нет данных");
    return 0;
}
