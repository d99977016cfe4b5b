#include "console/CommandHistory.h"

#include <algorithm>

namespace velmora::console {

void CommandHistory::remember(const std::string& line) {
    if (std::find(items_.begin(), items_.end(), line) != items_.end()) return;
    items_.insert(items_.begin(), line);
    if (items_.size() > kHistoryItems) items_.resize(kHistoryItems);
}

void CommandHistory::replaceWith(const std::vector<std::string>& lines) {
    items_.clear();
    for (const std::string& line : lines) {
        if (items_.size() == kHistoryItems) break;
        if (std::find(items_.begin(), items_.end(), line) == items_.end()) items_.push_back(line);
    }
}

}  // namespace velmora::console
