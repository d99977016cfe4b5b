// The system configuration file, as any editor may leave it: any bytes must either load
// or be refused with a line inside the file, and a table that loads must write out and
// read back as itself.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>

#include "system/ConfigFile.h"

using namespace velmora::system;

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_system_config: %s\n", what);
    std::abort();
}

size_t lineCount(std::string_view text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n + (!text.empty() && text.back() != '\n');
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ConfigParse parsed = parseConfigText(text);
    if (auto* fault = std::get_if<ConfigFault>(&parsed)) {
        if (fault->line < 1 || static_cast<size_t>(fault->line) > lineCount(text))
            fail("a refusal names a line outside the file");
        if (configFaultMessage("f", *fault).empty()) fail("a refusal without a message");
        return 0;
    }
    const SystemTableRows& rows = std::get<SystemTableRows>(parsed);
    bool ended = false;
    for (const NodeRow& row : rows) {
        if (row.moduleCount > kMaxModules) fail("a count above 32 was stored");
        if (ended && row.cid != 0) fail("a row after the first empty one");
        ended = ended || row.cid == 0;
        for (size_t j = row.moduleCount; j < kMaxModules; ++j)
            if (row.modules[j] != 0) fail("a module address past the count");
    }
    ConfigParse again = parseConfigText(configText(rows));
    auto* back = std::get_if<SystemTableRows>(&again);
    if (!back) fail("the written table does not read back");
    for (size_t k = 0; k < kMaxNodes; ++k)
        if ((*back)[k].cid != rows[k].cid || (*back)[k].moduleCount != rows[k].moduleCount ||
            (*back)[k].modules != rows[k].modules)
            fail("the written table reads back different");
    return 0;
}
