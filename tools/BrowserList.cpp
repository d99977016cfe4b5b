#include "tools/BrowserList.h"

#include "tools/BrowserEntry.h"

namespace velmora::tools {

void BrowserList::click(size_t index) {
    if (index < lines_.size() && isEntryLine(lines_[index]))
        selected_ = index;
    else
        selected_.reset();
}

void BrowserList::append(const std::string& entry) { lines_.push_back(entry); }

size_t BrowserList::endOfEntry(size_t index) const {
    size_t end = index + 1;
    while (end < lines_.size() && !lines_[end].empty() && lines_[end][0] == ' ') ++end;
    return end;
}

void BrowserList::replaceSelected(const std::string& entry) {
    if (!selected_) return;
    const size_t at = *selected_;
    lines_.erase(lines_.begin() + static_cast<long>(at) + 1,
                 lines_.begin() + static_cast<long>(endOfEntry(at)));
    lines_[at] = entry;
}

void BrowserList::removeSelected() {
    if (!selected_) return;
    const size_t at = *selected_;
    lines_.erase(lines_.begin() + static_cast<long>(at),
                 lines_.begin() + static_cast<long>(endOfEntry(at)));
    selected_.reset();
}

std::optional<size_t> BrowserList::entryOrdinal(size_t index) const {
    size_t ordinal = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (!isEntryLine(lines_[i])) continue;
        if (i == index) return ordinal;
        ++ordinal;
    }
    return std::nullopt;
}

std::optional<size_t> BrowserList::lineOfOrdinal(size_t ordinal) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (isEntryLine(lines_[i]) && ordinal-- == 0) return i;
    return std::nullopt;
}

bool BrowserList::refresh(link::TransactionEngine& engine) {
    // The selection follows its entry, not its line number: value lines appear and
    // change in number between passes.
    const auto ordinal = selected_ ? entryOrdinal(*selected_) : std::nullopt;
    std::vector<std::string> fresh;
    auto hold = engine.hold();  // the pass is one operation: nothing runs between entries
    for (const std::string& line : lines_) {
        if (!isEntryLine(line)) continue;
        auto variable = variableOfEntry(line);
        if (!variable) return false;
        VariableRead read = readRamVariable(engine, *variable);
        if (!read.ok()) return false;
        fresh.push_back(line);
        for (auto& value : valueLines(read.bytes)) fresh.push_back(std::move(value));
    }
    lines_ = std::move(fresh);
    selected_ = ordinal ? lineOfOrdinal(*ordinal) : std::nullopt;
    return true;
}

}  // namespace velmora::tools
