// The identifier block as a module (or a noisy line) delivers it. Input: a flag byte
// (bit 0: the read succeeded), then up to 256 block bytes; the rest stays erased.
//
// The fields, each put back with its CR, must give the block's bytes up to where the
// rules end it; the list has the header, an empty line and one line per field; no line
// carries a control character.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "system/IdentBlock.h"

using namespace velmora::system;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_ident_block: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool ok = data[0] & 1;
    IdentBuffer block = erasedIdent();
    for (size_t i = 1; i < size && i <= block.size(); ++i) block[i - 1] = data[i];

    const auto fields = identFields(block);
    if (block[0] == 0xFF && !fields.empty()) fault("fields in a block without data");
    std::string rebuilt;
    for (const std::string& f : fields) {
        if (f.find('\r') != std::string::npos) fault("a CR inside a field");
        rebuilt += f + '\r';
    }
    const std::string raw(block.begin(), block.end());
    if (rebuilt.size() > raw.size() + 1) fault("fields longer than the block");
    // Only the last field may lack its CR, and only by running into the block's end.
    const std::string head = rebuilt.substr(0, std::min(rebuilt.size(), raw.size()));
    if (raw.compare(0, head.size(), head) != 0) fault("fields differ from the block");
    if (rebuilt.size() > raw.size() && raw.back() == '\r') fault("a CR was lost at the end");
    if (!fields.empty() && rebuilt.size() < raw.size()) {
        const auto next = static_cast<uint8_t>(raw[rebuilt.size()]);
        if (next != 0x00 && next != 0xFF) fault("the block ended early");
    }

    const auto names = builtInIdentNames();
    const auto lines = identListLines(block, ok, names);
    const size_t want = 2 + ((ok && block[0] != 0xFF) ? fields.size() : names.size());
    if (lines.size() != want) fault("not one line per field");
    for (const std::string& l : lines)
        for (char c : l)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) fault("a control character");
    return 0;
}
