#pragma once
// Rules between the system table and the tree that shows it: tree entry k under the
// root is table row k, module entry j under it is module address j of that row.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "system/CurrentModule.h"

namespace velmora::system {

struct EntryAddress {
    uint8_t cid = 0;
    uint8_t slave = 0;
};

// The addresses a tree entry stands for: a node entry (level 1, `module` unused) or a
// module entry (level 2). Nothing for an entry past the table's rows or modules.
std::optional<EntryAddress> entryAddress(const SystemTableRows& rows, int level, size_t node,
                                         size_t module);

struct HandAdd {
    enum Outcome { Added, AlreadyListed, TableFull } outcome = Added;
    size_t row = 0;  // the new row, or the row that already lists the address
};

// A node added by hand takes the next free row, which is where its tree entry goes; an
// address already listed keeps its row.
HandAdd addNodeByHand(SystemTableRows& rows, uint8_t cid);

}  // namespace velmora::system
