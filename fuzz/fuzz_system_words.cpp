// Words typed for the scan and init commands, and the add-node dialog's address field:
// whatever is typed is either refused with a reason or gives values inside their ranges.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliArgs.h"
#include "system/NodeAddressEntry.h"

using namespace velmora;

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_system_words: %s\n", what);
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Words separated by NUL, as a shell hands them over.
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    std::string error;
    auto args = cli::parseCliArgs(words, error);
    if (!args && error.empty()) fail("a refusal without a reason");
    if (args && args->command == cli::CliArgs::Command::Scan) {
        const auto& r = args->scan.nodes;
        if (r.first == 0 || r.first > r.last) fail("an empty or zero node range accepted");
    }
    for (const std::string& w : words) {
        if (auto a = system::nodeAddressOf(w); a && *a == 0) fail("node address 0 accepted");
        size_t length = 0;
        for (char c : w) {
            if (auto typed = system::addressFieldChar(length, c)) {
                const bool hex =
                    (*typed >= '0' && *typed <= '9') || (*typed >= 'A' && *typed <= 'F');
                if (!hex) fail("a character other than an upper-case hex digit inserted");
                if (length == 1 && ((*typed <= '9' ? *typed - '0' : *typed - 'A' + 10) % 2))
                    fail("an odd second digit inserted");
                ++length;
            }
        }
        if (length > 2) fail("more than two characters inserted");
    }
    return 0;
}
