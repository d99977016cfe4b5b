// A command-set file as found on disk, any bytes at all, read whole and in pieces of a
// size the first byte chooses. Both readings must agree; a file that is taken holds only
// lines the console would send as they are, and fills a history of at most eight.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/CommandHistory.h"
#include "console/CommandSetFile.h"
#include "console/CommandTokenizer.h"

using namespace velmora::console;

namespace {
[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_command_set: %s\n", what);
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = data[0] % 16 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const CommandSet whole = readCommandSet(bytes);
    CommandSetReader reader;
    for (size_t i = 0; i < bytes.size(); i += piece) reader.feed(bytes.substr(i, piece));
    const CommandSet pieces = reader.finish();
    if (whole.commands != pieces.commands || whole.error != pieces.error)
        fault("pieces and whole file differ");
    if (whole.error.empty() == whole.commands.empty()) fault("neither commands nor an error");
    for (const std::string& line : whole.commands) {
        if (line.empty() || line.front() == ' ' || line.back() == ' ') fault("untrimmed line");
        const ParsedCommand p = parseCommandLine(line);
        if (p.error != CommandError::None || p.bytes.empty()) fault("a line the console refuses");
    }
    CommandHistory history;
    history.replaceWith(whole.commands);
    if (history.items().size() > kHistoryItems) fault("history longer than eight");
    return 0;
}
