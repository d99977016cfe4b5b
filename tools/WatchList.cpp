#include "tools/WatchList.h"

#include "common/HexText.h"
#include "common/NumberText.h"

namespace velmora::tools {

WatchAdd WatchList::add(uint8_t cid, uint8_t slave, const std::string& address, uint16_t count) {
    if (address.empty()) return WatchAdd::NoAddress;
    if (entries_.size() >= kWatchMax) return WatchAdd::Full;
    auto adr = address.size() <= 3 ? parseHex(address) : std::nullopt;
    if (!adr) return WatchAdd::NoAddress;
    if (count < 1 || count > kWatchCountMax || *adr + count > kRamEnd) return WatchAdd::OutsideRam;
    entries_.push_back({cid, slave, static_cast<uint16_t>(*adr), count});
    return WatchAdd::Added;
}

void WatchList::remove(size_t index) {
    if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<long>(index));
}

WatchList::Pass WatchList::read(link::TransactionEngine& engine) const {
    Pass pass;
    auto hold = engine.hold();  // the pass is one operation: nothing runs between entries
    for (const RamVariable& v : entries_) {
        VariableRead r = readRamVariable(engine, v);
        if (!r.ok()) pass.error = watchFaultText(v, r.fault);
        pass.lines.push_back(watchLine(v, r.bytes));
    }
    return pass;
}

std::string watchEntryText(const RamVariable& v) {
    return std::string(5, ' ') + hexNumber(v.cid, 2) + std::string(10, ' ') +
           (v.slave ? hexNumber(v.slave, 2) : std::string(2, ' ')) + std::string(8, ' ') +
           hexNumber(v.address, 3) + std::string(7, ' ') + std::to_string(v.count);
}

std::string watchLine(const RamVariable& v, const std::vector<uint8_t>& bytes) {
    std::string line = watchEntryText(v) + std::string(4, ' ');
    for (uint8_t b : bytes) line += "  " + hexNumber(b, 2);
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
    std::string text = "ошибка обмена CID=" + hexNumber(v.cid, 2);
    if (v.slave) text += "  Slave=" + hexNumber(v.slave, 2);
    return text;
}

}  // namespace velmora::tools
