#include "tools/BrowserEntry.h"

#include "access/MemoryMap.h"
#include "common/HexText.h"
#include "common/NumberText.h"

namespace velmora::tools {

namespace {

constexpr size_t kBytesPerValueLine = 16;
const std::string kValueIndent(16, ' ');

struct Parsed {
    uint32_t cid = 0, slave = 0, count = 1, address = 0;
    bool i2c = false;
};

// Each field must be hexadecimal and no wider than its box lets anyone type.
std::optional<uint32_t> field(const std::string& text, size_t width) {
    if (text.empty() || text.size() > width) return std::nullopt;
    return parseHex(text);
}

std::optional<Parsed> parseFields(const EntryFields& f) {
    Parsed p;
    auto cid = field(f.cid, 2);
    auto address = field(f.address, 3);
    if (!cid || !address) return std::nullopt;
    p.cid = *cid;
    p.address = *address;
    if (!f.slave.empty()) {
        auto slave = field(f.slave, 2);
        if (!slave) return std::nullopt;
        p.slave = *slave;
        p.i2c = true;
    }
    if (!f.count.empty()) {
        auto count = field(f.count, 2);
        if (!count) return std::nullopt;
        p.count = *count;
    }
    return p;
}

std::string entryText(const Parsed& p) {
    std::string s = p.i2c ? "i2c>" : "Mod>";
    s += hexNumber(p.cid, 2) + " " + hexNumber(p.address, 3);
    if (p.i2c) s += " " + hexNumber(p.slave, 2);
    return s + "/" + hexNumber(p.count, 2) + "=";
}

bool isHexText(const std::string& s) { return !s.empty() && parseHex(s).has_value(); }

}  // namespace

std::string composeEntry(const EntryFields& f) {
    auto p = parseFields(f);
    return p ? entryText(*p) : std::string();
}

std::optional<EntryRefusal> refuseEntry(const EntryFields& f) {
    if (f.cid.empty()) return EntryRefusal{"Не указан адрес на Modbus", 0};
    if (f.address.empty()) return EntryRefusal{"Не указан адрес ресурса", 3};
    if (!isHexText(f.cid) || f.cid.size() > 2)
        return EntryRefusal{"Адрес на Modbus - шестнадцатеричное число 01..FF", 0};
    if (!f.slave.empty() && (!isHexText(f.slave) || f.slave.size() > 2))
        return EntryRefusal{"Адрес на i2c - шестнадцатеричное число 01..FF", 1};
    if (!f.count.empty() && (!isHexText(f.count) || f.count.size() > 2))
        return EntryRefusal{"Количество - шестнадцатеричное число 01..FF", 2};
    if (!isHexText(f.address) || f.address.size() > 3)
        return EntryRefusal{"Адрес RAM - шестнадцатеричное число 000..FFF", 3};
    const Parsed p = *parseFields(f);
    // Node 00 is the broadcast address: nobody answers a read sent to it.
    if (p.cid == 0) return EntryRefusal{"Адрес на Modbus - шестнадцатеричное число 01..FF", 0};
    if (p.i2c && p.slave == 0)
        return EntryRefusal{"Адрес на i2c - шестнадцатеричное число 01..FF", 1};
    if (p.count == 0) return EntryRefusal{"Количество - шестнадцатеричное число 01..FF", 2};
    if (p.address + p.count > access::kRamEnd)
        return EntryRefusal{"Переменная выходит за конец RAM (FFF)", 2};
    return std::nullopt;
}

std::optional<EntryFields> fieldsOfEntry(std::string_view line) {
    auto v = variableOfEntry(line);
    if (!v) return std::nullopt;
    EntryFields f;
    f.cid = hexNumber(v->owner.cid, 2);
    f.address = hexNumber(v->address, 3);
    f.count = hexNumber(v->count, 2);
    if (line.substr(0, 4) == "i2c>") f.slave = hexNumber(v->owner.slave, 2);
    return f;
}

std::optional<RamVariable> variableOfEntry(std::string_view line) {
    const bool i2c = line.substr(0, 4) == "i2c>";
    if (!i2c && line.substr(0, 4) != "Mod>") return std::nullopt;
    // Mod>CC AAA/NN=  or  i2c>CC AAA SS/NN=
    const size_t countAt = i2c ? 14 : 11;
    if (line.size() != countAt + 3 || line[6] != ' ' || line[countAt - 1] != '/' ||
        line[countAt + 2] != '=' || (i2c && line[10] != ' '))
        return std::nullopt;
    auto cid = parseHex(line.substr(4, 2));
    auto address = parseHex(line.substr(7, 3));
    auto count = parseHex(line.substr(countAt, 2));
    auto slave = i2c ? parseHex(line.substr(11, 2)) : std::optional<uint32_t>(0);
    if (!cid || !address || !count || !slave) return std::nullopt;
    // An "i2c>" entry at i2c address 00 would otherwise read the node's own RAM.
    if (i2c && *slave == 0) return std::nullopt;
    RamVariable v;
    v.owner = access::moduleAt(static_cast<uint8_t>(*cid), static_cast<uint8_t>(*slave));
    v.address = static_cast<uint16_t>(*address);
    v.count = static_cast<uint16_t>(*count);
    return v;
}

LineColumns columnsOfLine(std::string_view line) {
    LineColumns c;
    if (auto f = fieldsOfEntry(line)) {
        c.cid = f->cid;
        c.slave = f->slave;
        c.address = f->address;
        c.count = f->count;
    } else {
        const size_t first = line.find_first_not_of(' ');
        c.value = first == line.npos ? std::string() : std::string(line.substr(first));
    }
    return c;
}

std::vector<std::string> valueLines(const std::vector<uint8_t>& bytes) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size(); at += kBytesPerValueLine) {
        std::string line = kValueIndent;
        for (size_t i = at; i < bytes.size() && i < at + kBytesPerValueLine; ++i)
            line += " " + hexNumber(bytes[i], 2);
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace velmora::tools
