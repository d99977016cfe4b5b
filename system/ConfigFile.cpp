#include "system/ConfigFile.h"

#include <optional>
#include <sstream>

#include "common/FileReplace.h"
#include "common/HexText.h"
#include "common/RegularFileRead.h"

namespace velmora::system {

namespace {

constexpr size_t kMaxFileBytes = 1 << 20;

std::optional<uint32_t> hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
    return std::nullopt;
}

// The whole line as a hexadecimal number, digits only; capped so that no length of
// leading digits can overflow.
std::optional<uint32_t> wholeLineHex(std::string_view s) {
    if (s.empty()) return std::nullopt;
    uint32_t v = 0;
    for (char c : s) {
        auto d = hexDigit(c);
        if (!d) return std::nullopt;
        v = v > 0xFFFF ? 0x10000 : v * 16 + *d;
    }
    return v;
}

struct Lines {
    std::string_view text;
    size_t pos = 0;
    int number = 0;
    bool next(std::string_view& line) {
        if (pos >= text.size()) return false;
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = end + 1;
        ++number;
        return true;
    }
};

}  // namespace

ConfigParse parseConfigText(std::string_view text) {
    SystemTableRows rows{};
    size_t rowCount = 0;
    Lines lines{text};
    std::string_view line;
    auto fault = [&](ConfigFault::Kind kind) {
        return ConfigFault{kind, lines.number, std::string(line)};
    };
    while (lines.next(line)) {
        if (line.empty() || line.front() != '[') continue;
        const int headerLine = lines.number;
        const std::string header(line);
        auto hi = line.size() > 1 ? hexDigit(line[1]) : std::nullopt;
        auto lo = line.size() > 2 ? hexDigit(line[2]) : std::nullopt;
        if (!hi || !lo) return fault(ConfigFault::BadNodeLine);
        const uint8_t cid = static_cast<uint8_t>(*hi * 16 + *lo);
        if (cid == 0) return fault(ConfigFault::NodeZero);
        if (rowCount == kMaxNodes) return fault(ConfigFault::TooManyNodes);
        NodeRow& row = rows[rowCount++];
        row.cid = cid;

        auto endsInside = [&] {
            return ConfigFault{ConfigFault::EndsInsideBlock, headerLine, header};
        };
        if (!lines.next(line)) return endsInside();
        auto count = wholeLineHex(line);
        if (!count) return fault(ConfigFault::NotHex);
        if (*count > kMaxModules) return fault(ConfigFault::CountAbove32);
        row.moduleCount = static_cast<uint8_t>(*count);
        for (uint32_t j = 0; j < *count; ++j) {
            if (!lines.next(line)) return endsInside();
            auto adr = wholeLineHex(line);
            if (!adr) return fault(ConfigFault::NotHex);
            if (*adr > 0xFF) return fault(ConfigFault::ValueTooLarge);
            row.modules[j] = static_cast<uint8_t>(*adr);
        }
    }
    return rows;
}

std::string configText(const SystemTableRows& rows) {
    std::string out;
    for (const NodeRow& row : rows) {
        if (row.cid == 0) break;
        out += "[" + hexNumber(row.cid, 2) + "]\r\n";
        out += hexNumber(row.moduleCount, 2) + "\r\n";
        for (size_t j = 0; j < row.moduleCount && j < kMaxModules; ++j)
            out += hexNumber(row.modules[j], 2) + "\r\n";
    }
    return out;
}

std::string configFaultMessage(const std::string& fileName, const ConfigFault& f) {
    std::string where = "Файл " + fileName;
    if (f.line > 0) where += ", строка " + std::to_string(f.line);
    std::string what;
    switch (f.kind) {
        case ConfigFault::NotHex:
            what = "\"" + f.text + "\" не шестнадцатеричное число";
            break;
        case ConfigFault::BadNodeLine:
            what = "\"" + f.text + "\": после \"[\" нужны две шестнадцатеричные цифры адреса узла";
            break;
        case ConfigFault::NodeZero:
            what = "адрес узла 00 недопустим";
            break;
        case ConfigFault::ValueTooLarge:
            what = "адрес модуля \"" + f.text + "\" больше FF";
            break;
        case ConfigFault::CountAbove32:
            what = "число модулей \"" + f.text + "\" больше 32 (20 hex)";
            break;
        case ConfigFault::EndsInsideBlock:
            what = "файл кончается внутри блока узла " + f.text;
            break;
        case ConfigFault::TooManyNodes:
            what = "больше 32 узлов";
            break;
        case ConfigFault::Unreadable:
            what = "не читается: " + f.text;
            break;
        case ConfigFault::TooLarge:
            what = "слишком велик для файла конфигурации";
            break;
    }
    return where + ": " + what + ". Конфигурация не изменена.";
}

ConfigLoad readConfigFile(const std::string& path) {
    ConfigLoad load;
    const FileRead file = readRegularFile(path, kMaxFileBytes);
    if (file.fault == FileReadFault::Missing) return load;
    if (!file.ok()) {
        load.outcome = ConfigLoad::Refused;
        load.fault = file.fault == FileReadFault::TooLarge
                         ? ConfigFault{ConfigFault::TooLarge, 0, {}}
                         : ConfigFault{ConfigFault::Unreadable, 0, file.reason};
        return load;
    }
    const std::string& text = file.text;
    ConfigParse parsed = parseConfigText(text);
    if (auto* f = std::get_if<ConfigFault>(&parsed)) {
        load.outcome = ConfigLoad::Refused;
        load.fault = *f;
        return load;
    }
    load.outcome = ConfigLoad::Loaded;
    load.rows = std::get<SystemTableRows>(parsed);
    return load;
}

std::string writeConfigFile(const std::string& path, const SystemTableRows& rows) {
    std::string error;
    return replaceFile(path, configText(rows), error) ? std::string() : error;
}

}  // namespace velmora::system
