#include "system/NodeTable.h"

namespace velmora::system {

namespace {
size_t usedRows(const SystemTableRows& rows) {
    size_t n = 0;
    while (n < rows.size() && rows[n].cid != 0) ++n;
    return n;
}
}  // namespace

std::optional<EntryAddress> entryAddress(const SystemTableRows& rows, int level, size_t node,
                                         size_t module) {
    if (level < 1 || level > 2 || node >= usedRows(rows)) return std::nullopt;
    const NodeRow& row = rows[node];
    if (level == 1) return EntryAddress{row.cid, 0};
    if (module >= row.moduleCount || module >= kMaxModules) return std::nullopt;
    return EntryAddress{row.cid, row.modules[module]};
}

HandAdd addNodeByHand(SystemTableRows& rows, uint8_t cid) {
    const size_t used = usedRows(rows);
    for (size_t i = 0; i < used; ++i)
        if (rows[i].cid == cid) return {HandAdd::AlreadyListed, i};
    if (used == rows.size()) return {HandAdd::TableFull, 0};
    rows[used] = NodeRow{};
    rows[used].cid = cid;
    return {HandAdd::Added, used};
}

}  // namespace velmora::system
