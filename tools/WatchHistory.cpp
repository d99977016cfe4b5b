#include "tools/WatchHistory.h"

#include <algorithm>
#include <sstream>

#include "tools/WatchList.h"

namespace velmora::tools {

uint64_t watchValue(const std::vector<uint8_t>& bytes) {
    uint64_t v = 0;
    for (size_t n = bytes.size(); n-- > 0;) v = v << 8 | bytes[n];
    return v;
}

std::string watchEntryName(const RamVariable& v) {
    std::istringstream fields(watchEntryText(v));
    std::string name, field;
    while (fields >> field) name += (name.empty() ? "" : " ") + field;
    return name;
}

void SampleRing::push(const WatchSample& s) {
    if (items_.size() < capacity_) {
        items_.push_back(s);
        return;
    }
    items_[start_] = s;
    start_ = (start_ + 1) % capacity_;
}

void WatchHistory::record(uint32_t id, uint64_t atMs, std::optional<uint64_t> value) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
    if (it == entries_.end()) it = entries_.insert(entries_.end(), Entry{id, SampleRing(perEntry_)});
    it->ring.push({atMs, value});
    if (!firstMs_) firstMs_ = atMs;
    newestMs_ = std::max(newestMs_.value_or(atMs), atMs);
}

const SampleRing* WatchHistory::samples(uint32_t id) const {
    for (const Entry& e : entries_)
        if (e.id == id) return &e.ring;
    return nullptr;
}

void WatchHistory::forget(uint32_t id) {
    std::erase_if(entries_, [id](const Entry& e) { return e.id == id; });
}

namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::string watchCsv(const std::vector<CsvColumn>& columns, uint64_t firstMs) {
    std::string text = "time_ms";
    for (const CsvColumn& c : columns) text += "," + csvField(c.name);
    text += "\n";
    // Every entry of a pass carries the pass's time, so a time is a row.
    std::vector<uint64_t> times;
    for (const CsvColumn& c : columns)
        for (size_t i = 0; c.samples && i < c.samples->size(); ++i) times.push_back((*c.samples)[i].atMs);
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::vector<size_t> next(columns.size(), 0);
    for (uint64_t t : times) {
        text += std::to_string(t - std::min(t, firstMs));
        for (size_t k = 0; k < columns.size(); ++k) {
            text += ",";
            const SampleRing* s = columns[k].samples;
            if (!s) continue;
            while (next[k] < s->size() && (*s)[next[k]].atMs < t) ++next[k];
            if (next[k] < s->size() && (*s)[next[k]].atMs == t && (*s)[next[k]].value)
                text += std::to_string(*(*s)[next[k]].value);
        }
        text += "\n";
    }
    return text;
}

const std::vector<uint64_t>& ChartSpan::steps() {
    static const std::vector<uint64_t> spans = {10000, 30000, 60000, 120000, 300000, 600000, 1800000, 3600000};
    return spans;
}

std::pair<uint64_t, uint64_t> ChartSpan::range(uint64_t newestMs) const {
    const uint64_t to = end_.value_or(newestMs);
    return {to - std::min(to, spanMs()), to};
}

void ChartSpan::setStep(size_t step) { step_ = std::min(step, steps().size() - 1); }

void ChartSpan::zoom(int steps, double anchor, uint64_t newestMs) {
    const auto [from, to] = range(newestMs);
    const double moment = static_cast<double>(from) + anchor * static_cast<double>(to - from);
    const long last = static_cast<long>(this->steps().size()) - 1;
    setStep(static_cast<size_t>(std::clamp(static_cast<long>(step_) - steps, 0L, last)));
    if (!end_) return;
    const double end = moment + (1 - std::clamp(anchor, 0.0, 1.0)) * static_cast<double>(spanMs());
    end_ = std::min(newestMs, static_cast<uint64_t>(std::max(end, 0.0)));
}

void ChartSpan::freeze(uint64_t newestMs) {
    if (!end_) end_ = newestMs;
}

}  // namespace velmora::tools
