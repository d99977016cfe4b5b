#include "tools/WatchList.h"

#include <algorithm>

#include "access/MemoryMap.h"
#include "common/HexText.h"
#include "common/NumberText.h"
#include "tools/WatchHistory.h"

namespace velmora::tools {

WatchAdd WatchList::add(uint8_t cid, uint8_t slave, const std::string& address, uint16_t count) {
    if (address.empty()) return WatchAdd::NoAddress;
    if (entries_.size() >= kWatchMax) return WatchAdd::Full;
    auto adr = address.size() <= 3 ? parseHex(address) : std::nullopt;
    if (!adr) return WatchAdd::NoAddress;
    if (count < 1 || count > kWatchCountMax || *adr + count > access::kRamEnd)
        return WatchAdd::OutsideRam;
    entries_.push_back({access::moduleAt(cid, slave), static_cast<uint16_t>(*adr), count});
    size_t colour = 0;
    while (std::any_of(tags_.begin(), tags_.end(), [colour](const Tag& t) { return t.colour == colour; }))
        ++colour;
    tags_.push_back({nextId_++, colour});
    return WatchAdd::Added;
}

void WatchList::remove(size_t index) {
    if (index >= entries_.size()) return;
    entries_.erase(entries_.begin() + static_cast<long>(index));
    tags_.erase(tags_.begin() + static_cast<long>(index));
}

WatchList::Pass WatchList::read(link::TransactionEngine& engine) const {
    Pass pass;
    auto hold = engine.hold();  // the pass is one operation: nothing runs between entries
    for (const RamVariable& v : entries_) {
        VariableRead r = readRamVariable(engine, v);
        if (!r.ok()) pass.error = watchFaultText(v, r.fault);
        pass.lines.push_back(watchLine(v, r.bytes));
        pass.values.push_back(r.ok() ? std::optional(watchValue(r.bytes)) : std::nullopt);
    }
    return pass;
}

namespace {
// `text` written into `line` from column `at`, blanks before it.
void putAt(std::string& line, size_t at, const std::string& text) {
    line.resize(at, ' ');
    line += text;
}
}  // namespace

std::string watchEntryText(const RamVariable& v) {
    std::string line;
    putAt(line, kWatchCidAt, hexNumber(v.owner.cid, 2));
    putAt(line, kWatchSlaveAt, v.owner.slave ? hexNumber(v.owner.slave, 2) : std::string(2, ' '));
    putAt(line, kWatchAddressAt, hexNumber(v.address, 3));
    putAt(line, kWatchCountAt, std::to_string(v.count));
    return line;
}

std::string watchLine(const RamVariable& v, const std::vector<uint8_t>& bytes) {
    std::string line = watchEntryText(v);
    line.resize(kWatchBytesAt - 2, ' ');  // the blanks stay when nothing was read
    for (size_t n = 0; n < bytes.size(); ++n)
        putAt(line, kWatchBytesAt + n * kWatchByteStep, hexNumber(bytes[n], 2));
    return line;
}

std::string watchFaultText(const RamVariable& v, VariableFault fault) {
    switch (fault) {
        case VariableFault::None:
            return {};
        case VariableFault::Page:
            return "Ошибка установки страницы";
        case VariableFault::Range:
            return "Переменная выходит за конец RAM (FFF)";
        case VariableFault::Read:
            break;
    }
    std::string text = "ошибка обмена CID=" + hexNumber(v.owner.cid, 2);
    if (v.owner.slave) text += "  Slave=" + hexNumber(v.owner.slave, 2);
    return text;
}

}  // namespace velmora::tools
