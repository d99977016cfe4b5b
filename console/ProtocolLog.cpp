#include "console/ProtocolLog.h"

namespace velmora::console {

void ProtocolLogModel::appendLine(const std::string& text, link::Rgb colour) {
    if (switches_.times && switches_.now && switches_.times())
        lines_.push_back({switches_.now() + " " + text, colour});
    else
        lines_.push_back({text, colour});
    if (view_) view_->linesAppended();
}

void ProtocolLogModel::keepLastLines(size_t lines) {
    if (lines_.size() <= lines) return;
    const size_t excess = lines_.size() - lines;
    lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(excess));
    if (view_) view_->linesDropped(excess);
}

void ProtocolLogModel::clear() {
    lines_.clear();
    if (view_) view_->logCleared();
}

std::string ProtocolLogModel::allText() const {
    std::string out;
    for (const LogLine& l : lines_) out += l.text + '\n';
    return out;
}

}  // namespace velmora::console
