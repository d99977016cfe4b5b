#include "system/LinkParams.h"

#include "common/NumberText.h"
#include "link/OperationKind.h"

namespace velmora::system {

namespace {
std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}
}  // namespace

const LinkParamInfo* linkParamOfLine(int line) {
    for (const LinkParamInfo& p : kLinkParams)
        if (p.listLine == line) return &p;
    return nullptr;
}

const LinkParamInfo& linkParamInfo(LinkParam param) {
    for (const LinkParamInfo& p : kLinkParams)
        if (p.param == param) return p;
    return kLinkParams[0];
}

std::optional<uint8_t> speedCode(uint32_t bps) {
    for (const SpeedCode& s : kSpeedCodes)
        if (s.bps == bps) return s.code;
    return std::nullopt;
}

std::string_view afterFirstColon(std::string_view line) {
    const size_t colon = line.find(':');
    return colon == std::string_view::npos ? line : line.substr(colon + 1);
}

std::optional<uint32_t> lineSpeed(std::string_view line) {
    std::string_view text = afterFirstColon(line);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    auto v = parseUnsigned(text, 0xFFFFFFFFu);
    if (!v) return std::nullopt;
    return static_cast<uint32_t>(*v);
}

std::optional<uint8_t> parseParamByte(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text.size() > 2) return std::nullopt;
    auto v = parseHex(text, 0xFF);
    if (!v) return std::nullopt;
    return static_cast<uint8_t>(*v);
}

char paramKey(char typed) {
    if (typed >= '0' && typed <= '9') return typed;
    if (typed >= 'A' && typed <= 'F') return typed;
    if (typed >= 'a' && typed <= 'f') return static_cast<char>(typed - 'a' + 'A');
    if (typed == 8 || typed == 3 || typed == 7) return typed;
    return 0;
}

std::string paramRefusal(LinkParam param, uint8_t value) {
    if (param == LinkParam::Modbus && value == 0)
        return "Адрес Modbus 00 - широковещательный: узел с ним не будет отвечать";
    return {};
}

uint16_t writeLinkParam(link::TransactionEngine& engine, uint8_t cid, LinkParam param,
                        uint8_t value) {
    const uint8_t data[] = {value};
    return engine.transact({cid, link::wrEE, linkParamInfo(param).eeAddress, 1, 0, 1}, data, {})
        .code;
}

}  // namespace velmora::system
