#pragma once
// What the watch list has read over time: the samples each variable's chart line is
// drawn from and the CSV file is written from, and the part of the time axis the chart
// shows. The window and `velmora-cli watch --csv` keep the same history and write the
// same file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/RamVariableRead.h"

namespace velmora::tools {

// A variable's bytes as one unsigned number, low byte first, as the PIC18's compilers
// and assemblers lay out a multi-byte variable; the list shows the same bytes in
// address order. This decimal number is what the chart draws and the CSV holds.
uint64_t watchValue(const std::vector<uint8_t>& bytes);

// A variable's name in the CSV header and the chart's legend: the list's entry text
// with its column blanks closed up ("02 1A3 2"; "02 10 1A3 2" for an i2c module).
std::string watchEntryName(const RamVariable& v);

struct WatchSample {
    uint64_t atMs = 0;              // the link clock's milliseconds at the pass
    std::optional<uint64_t> value;  // none: the read failed, a gap in the line
};

// The last `capacity` samples of one variable, oldest first.
class SampleRing {
public:
    explicit SampleRing(size_t capacity) : capacity_(capacity ? capacity : 1) {}
    void push(const WatchSample& s);
    size_t size() const { return items_.size(); }
    const WatchSample& operator[](size_t i) const { return items_[(start_ + i) % items_.size()]; }

private:
    size_t capacity_;
    size_t start_ = 0;  // where the oldest sample is once the ring has wrapped
    std::vector<WatchSample> items_;
};

// An hour at the watch list's shortest period (500 ms).
inline constexpr size_t kWatchHistoryPoints = 7200;

// Samples by entry. An entry is known by a number that stays its own while it lives
// (WatchList::idOf), so removing one entry leaves the others' lines as they were.
class WatchHistory {
public:
    explicit WatchHistory(size_t perEntry = kWatchHistoryPoints) : perEntry_(perEntry) {}
    void record(uint32_t id, uint64_t atMs, std::optional<uint64_t> value);
    // Nothing for an entry never recorded.
    const SampleRing* samples(uint32_t id) const;
    void forget(uint32_t id);
    // The time of the first read recorded, which the CSV counts its milliseconds from.
    std::optional<uint64_t> firstMs() const { return firstMs_; }
    // The time of the newest sample of any entry.
    std::optional<uint64_t> newestMs() const { return newestMs_; }

private:
    struct Entry {
        uint32_t id;
        SampleRing ring;
    };
    size_t perEntry_;
    std::vector<Entry> entries_;
    std::optional<uint64_t> firstMs_, newestMs_;
};

struct CsvColumn {
    std::string name;
    const SampleRing* samples = nullptr;  // none: an entry not read yet, every cell empty
};

// The CSV text: a header "time_ms,<name>,...", then a row for each pass time any column
// has, oldest first: the milliseconds since `firstMs`, then each column's decimal value,
// empty where the read failed or the entry was not read in that pass. A name holding a
// comma, a quote or a line break is quoted, its quotes doubled.
std::string watchCsv(const std::vector<CsvColumn>& columns, uint64_t firstMs);

// The part of the time axis the chart shows: a span ending at the newest sample while
// it follows them, or at a fixed moment once paused.
class ChartSpan {
public:
    // The spans offered, shortest first, in milliseconds.
    static const std::vector<uint64_t>& steps();
    static constexpr size_t kDefaultStep = 2;  // a minute

    size_t step() const { return step_; }
    uint64_t spanMs() const { return steps()[step_]; }
    bool following() const { return !end_; }
    // {from, to} in the clock's milliseconds when the newest sample is at `newestMs`.
    std::pair<uint64_t, uint64_t> range(uint64_t newestMs) const;

    // Another span; its right edge stays where it is.
    void setStep(size_t step);
    // Positive `steps` shows less time, negative more. While following, the newest
    // sample stays at the right edge; once fixed, the moment at `anchor` (0 the left
    // edge, 1 the right) stays where it is, never past the newest sample.
    void zoom(int steps, double anchor, uint64_t newestMs);
    // Stops at the moment shown now.
    void freeze(uint64_t newestMs);
    // Back to the newest samples.
    void follow() { end_.reset(); }

private:
    size_t step_ = kDefaultStep;
    std::optional<uint64_t> end_;
};

}  // namespace velmora::tools
