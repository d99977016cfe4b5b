#pragma once
// The system the terminal knows (nodes on the serial line, i2c modules behind each) and
// the module every view and tool addresses. Plain C++: the tree, the scan and the pages
// read and change it. Nothing waits on a change: whoever needs the selection reads it
// when it acts.

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora::system {

inline constexpr size_t kMaxNodes = 32;
inline constexpr size_t kMaxModules = 32;

struct NodeRow {
    uint8_t cid = 0;  // 0: an empty row, and the first one ends the table
    uint8_t moduleCount = 0;
    std::array<uint8_t, kMaxModules> modules{};  // entries past the count are 0
};

using SystemTableRows = std::array<NodeRow, kMaxNodes>;

// 0: nothing (or only the tree root) selected; 1: a node; 2: an i2c module behind it.
enum SelectionLevels : uint8_t { kNothingSelected = 0, kNodeSelected = 1, kModuleSelected = 2 };

class CurrentModule {
public:
    SystemTableRows SystemTable{};
    uint8_t CurrentCID = 0;       // node every transaction goes to
    uint8_t CurrentSlaveAdr = 0;  // i2c address of the selected module; 0 for the node
    uint8_t SelectionLevel = kNothingSelected;

    void select(uint8_t cid, uint8_t slave, uint8_t level);
    void clearSelection() { select(0, 0, kNothingSelected); }
    void setTable(const SystemTableRows& rows) { SystemTable = rows; }
    // Rows before the first empty one.
    size_t nodeCount() const;
};

}  // namespace velmora::system
