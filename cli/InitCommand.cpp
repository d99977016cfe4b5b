#include "cli/InitCommand.h"

#include <ostream>

#include "common/HexText.h"
#include "link/ReplyCodes.h"
#include "system/ModuleInit.h"

namespace velmora::cli {

std::optional<InitCommand> parseInitCommand(const std::vector<std::string>& words,
                                            std::string& error) {
    if (words.size() != 1) {
        error = "init takes one CID";
        return std::nullopt;
    }
    auto cid = words[0].size() <= 2 ? parseHex(words[0], 0xFF) : std::nullopt;
    if (!cid) {
        error = "bad CID '" + words[0] + "' (hex 00..FF)";
        return std::nullopt;
    }
    return InitCommand{static_cast<uint8_t>(*cid)};
}

int runInitCommand(const InitCommand& command, link::TransactionEngine& engine, std::ostream& err) {
    const uint16_t result = system::initialiseModule(engine, command.cid);
    if (result == link::kResultOk) return 0;
    std::string text = link::replyMessage(result);
    err << "velmora-cli: result " << result << " (0x" << hexNumber(result, 2)
        << "): " << (text.empty() ? "no text for this code" : text) << "\n";
    return 1;
}

}  // namespace velmora::cli
