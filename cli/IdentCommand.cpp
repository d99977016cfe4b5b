#include "cli/IdentCommand.h"

#include "common/NumberText.h"
#include "system/IdentNames.h"
#include "system/IdentReader.h"

namespace velmora::cli {

std::variant<IdentCommand, std::string> parseIdentCommand(const std::vector<std::string>& words,
                                                          uint8_t slave) {
    if (words.size() != 1) return std::string("ident takes CID");
    auto cid = parseHex(words[0], 0xFF);
    if (!cid) return "bad CID '" + words[0] + "' (hex 01..FF)";
    if (*cid == 0) return std::string("ident needs a node address 01..FF: nobody answers 00");
    return IdentCommand{static_cast<uint8_t>(*cid), slave};
}

int runIdentCommand(const IdentCommand& c, link::TransactionEngine& engine, std::FILE* out,
                    std::FILE* err, const std::string& namesFile) {
    const system::IdentRead r =
        system::readIdent(engine, nullptr, access::moduleAt(c.cid, c.slave));
    const system::IdentNames names = system::loadIdentNames(namesFile);
    if (!names.notice.empty()) std::fprintf(err, "velmora-cli: %s\n", names.notice.c_str());
    for (const std::string& line : system::identFieldLines(r.block, r.ok, names.names))
        std::fprintf(out, "%s\n", line.c_str());
    if (r.ok) return 0;
    std::fprintf(err, "velmora-cli: %s\n", r.failure.c_str());
    return 1;
}

}  // namespace velmora::cli
