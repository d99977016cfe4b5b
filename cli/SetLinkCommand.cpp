#include "cli/SetLinkCommand.h"

#include "common/HexText.h"
#include "link/ReplyCodes.h"

namespace velmora::cli {

std::variant<SetLinkCommand, std::string> parseSetLinkCommand(
    const std::vector<std::string>& words) {
    if (words.size() != 3) return std::string("setlink takes CID speed|modbus|i2c|vector VALUE");
    SetLinkCommand c;
    auto cid = parseHex(words[0], 0xFF);
    if (!cid || *cid == 0) return "bad CID '" + words[0] + "' (hex 01..FF)";
    c.cid = static_cast<uint8_t>(*cid);
    const system::LinkParamInfo* info = nullptr;
    for (const system::LinkParamInfo& p : system::kLinkParams)
        if (words[1] == p.cliWord) info = &p;
    if (!info) return "bad parameter '" + words[1] + "' (speed, modbus, i2c or vector)";
    c.param = info->param;
    if (c.param == system::LinkParam::Speed) {
        auto bps = parseUnsigned(words[2], 0xFFFFFFFFu);
        auto code = bps ? system::speedCode(static_cast<uint32_t>(*bps)) : std::nullopt;
        if (!code) return "bad speed '" + words[2] + "' (9600, 19200, 57600 or 115200)";
        c.value = *code;
        return c;
    }
    auto value = parseHex(words[2], 0xFF);
    if (!value) return "bad value '" + words[2] + "' (hex 00..FF)";
    c.value = static_cast<uint8_t>(*value);
    if (std::string why = system::paramRefusal(c.param, c.value); !why.empty()) return why;
    return c;
}

int runSetLinkCommand(const SetLinkCommand& c, link::TransactionEngine& engine, std::FILE* out,
                      std::FILE* err) {
    const uint16_t result = system::writeLinkParam(engine, c.cid, c.param, c.value);
    const uint16_t address = system::linkParamInfo(c.param).eeAddress;
    if (result != link::kResultOk) {
        std::string why = link::replyMessage(result);
        std::fprintf(err, "velmora-cli: the EEPROM write failed: result %u (0x%02X)%s%s\n", result,
                     result, why.empty() ? "" : ": ", why.c_str());
        return 1;
    }
    std::fprintf(out, "EEPROM %s: %s\n", hexNumber(address, 3).c_str(),
                 hexNumber(c.value, 2).c_str());
    return 0;
}

}  // namespace velmora::cli
