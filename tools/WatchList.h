#pragma once
// The watch-list browser's variables: up to 25, kept for the program's run, their list
// texts, and the pass that reads them all.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/TransactionEngine.h"
#include "tools/RamVariableRead.h"

namespace velmora::tools {

inline constexpr size_t kWatchMax = 25;
inline constexpr uint16_t kWatchCountMax = 8;

enum class WatchAdd { Added, Full, NoAddress, OutsideRam };

class WatchList {
public:
    const std::vector<RamVariable>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }

    // `btnAdd`: the RAM address as typed (hexadecimal); the count is 1..8.
    WatchAdd add(uint8_t cid, uint8_t slave, const std::string& address, uint16_t count);
    // `btnDelete`: later entries move up, keeping their order.
    void remove(size_t index);

    // A number of the entry's own while it lives, whatever rows it moves through.
    uint32_t idOf(size_t index) const { return tags_[index].id; }
    // The entry's colour on the chart, 0..kWatchMax-1: the lowest none of the others had
    // when it was added, and its own until it goes, so no line changes colour.
    size_t colourOf(size_t index) const { return tags_[index].colour; }

    struct Pass {
        std::vector<std::string> lines;
        std::string error;  // the last failure's text; empty when every read worked
        std::vector<std::optional<uint64_t>> values;  // watchValue of each entry; none: failed
    };
    Pass read(link::TransactionEngine& engine) const;

private:
    struct Tag {
        uint32_t id;
        size_t colour;
    };
    std::vector<RamVariable> entries_;
    std::vector<Tag> tags_;  // beside entries_, row for row
    uint32_t nextId_ = 1;
};

// Where each field of a watch line starts, in characters; the window's header puts its
// column titles there. Byte n read is at kWatchBytesAt + n * kWatchByteStep.
inline constexpr size_t kWatchCidAt = 5, kWatchSlaveAt = 17, kWatchAddressAt = 27, kWatchCountAt = 37;
inline constexpr size_t kWatchBytesAt = 44, kWatchByteStep = 4;

// "     CC          SS        AAA       N": the list's line in editing mode.
std::string watchEntryText(const RamVariable& v);
// The entry text, four blanks, and "  XX" for each byte read.
std::string watchLine(const RamVariable& v, const std::vector<uint8_t>& bytes);
// The status bar's text for a failed read of `v`.
std::string watchFaultText(const RamVariable& v, VariableFault fault);

}  // namespace velmora::tools
