// The variable browser's editor fields and entry lines, and velmora-cli watch's words.
// Input: the four fields separated by '|' (the whole input is also read as an entry
// line, and as blank-separated watch words). Whatever the editor accepts must compose
// to an entry that reads back as the same variable, inside RAM; whatever an entry line
// gives must lie inside RAM, and what the watch words accept too.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "access/MemoryMap.h"
#include "cli/WatchCommand.h"
#include "tools/BrowserEntry.h"

using namespace velmora;
using namespace velmora::tools;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_browser_entry: %s\n", what);
    std::abort();
}

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == by) out.emplace_back();
        else out.back() += c;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto parts = split(text, '|');
    parts.resize(4);
    const EntryFields f{parts[0], parts[1], parts[2], parts[3]};

    const std::string entry = composeEntry(f);
    if (!refuseEntry(f)) {
        auto v = variableOfEntry(entry);
        if (!v) fault("an accepted entry does not read back");
        if (v->count == 0 || v->address + v->count > access::kRamEnd)
            fault("accepted entry leaves RAM");
        auto again = fieldsOfEntry(entry);
        if (!again || composeEntry(*again) != entry) fault("entry does not recompose");
    }
    if (auto v = variableOfEntry(text)) {
        if (!isEntryLine(text)) fault("an entry without '='");
        if (entry.size() > 17) fault("entry too long");
    }
    std::string error;
    if (auto w = cli::parseWatchWords(split(text, ' '), error)) {
        const auto& v = w->variable;
        if (v.count < 1 || v.count > 8 || v.address + v.count > access::kRamEnd || v.owner.cid == 0)
            fault("watch words accepted a variable outside the rules");
    }
    return 0;
}
