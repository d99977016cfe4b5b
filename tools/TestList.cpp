#include "tools/TestList.h"

#include <algorithm>
#include <charconv>

namespace velmora::tools {

bool isTestHeader(std::string_view line) { return line.empty() || line.front() != ' '; }

std::vector<std::string> testFileLines(std::string_view text) {
    std::vector<std::string> out;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.emplace_back(line);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return out;
}

std::string testFileName(std::string_view path) {
    const size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

bool TestList::addFile(const std::string& path, const std::vector<std::string>& lines) {
    if (TestLines.size() + 1 + lines.size() > 0xFFFF) return false;
    TestLines.push_back(path);
    files_.push_back({testFileName(path), true});
    for (const std::string& line : lines) TestLines.push_back(" " + line);
    renumber();
    return true;
}

void TestList::removeFile(size_t index) {
    if (index >= files_.size()) return;
    // The file is found by its number, not by its name: two open files may share a name,
    // and one name may end another ("a.tst", "data.tst").
    std::vector<std::string> kept;
    size_t header = 0;
    bool dropping = false;
    for (const std::string& line : TestLines) {
        if (isTestHeader(line)) dropping = header++ == index;
        if (!dropping) kept.push_back(line);
    }
    TestLines = std::move(kept);
    files_.erase(files_.begin() + static_cast<long>(index));
    renumber();
    if (TestPos >= TestLines.size()) TestPos = 0;
}

void TestList::setChecked(size_t index, bool checked) {
    if (index < files_.size()) files_[index].checked = checked;
}

void TestList::renumber() {
    size_t k = 0;
    for (std::string& line : TestLines) {
        if (!isTestHeader(line)) continue;
        const size_t close = line.find(']');
        if (close != std::string::npos) line.erase(0, close + 1);
        line.insert(0, "[" + std::to_string(k++) + "]");
    }
}

std::optional<size_t> TestList::headerFile(std::string_view header) const {
    const size_t open = header.find('[');
    const size_t close = header.find(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    size_t k = 0;
    const char* first = header.data() + open + 1;
    const char* last = header.data() + close;
    const auto [end, ec] = std::from_chars(first, last, k);
    if (ec != std::errc() || end != last || k >= files_.size()) return std::nullopt;
    return k;
}

TestLineOrigin TestList::lineOrigin(size_t pos) const {
    TestLineOrigin out;
    for (size_t i = std::min(pos, TestLines.size()); i-- > 0;) {
        if (!isTestHeader(TestLines[i])) continue;
        const std::string& header = TestLines[i];
        const size_t close = header.find(']');
        out.path = close == std::string::npos ? header : header.substr(close + 1);
        out.line = pos - i;
        break;
    }
    return out;
}

bool TestList::advance() {
    if (++TestPos >= TestLines.size()) {
        TestPos = 0;
        return true;
    }
    return false;
}

bool TestList::ownerChecked(size_t pos) const {
    for (size_t i = pos + 1; i-- > 0;) {
        if (!isTestHeader(TestLines[i])) continue;
        const std::optional<size_t> k = headerFile(TestLines[i]);
        return k && files_[*k].checked;
    }
    return false;
}

bool TestList::restHasCommand() const {
    bool sending = TestPos < TestLines.size() && ownerChecked(TestPos);
    for (size_t i = TestPos; i < TestLines.size(); ++i) {
        if (isTestHeader(TestLines[i])) {
            const std::optional<size_t> k = headerFile(TestLines[i]);
            sending = k && files_[*k].checked;
        } else if (sending) {
            return true;
        }
    }
    return false;
}

bool TestList::canRun() const {
    if (TestLines.size() < 2) return false;
    for (const TestFile& f : files_)
        if (f.checked) return true;
    return false;
}

std::optional<size_t> TestList::findNextCommand() {
    if (TestLines.empty()) return std::nullopt;
    if (TestPos >= TestLines.size()) TestPos = 0;
    // Each line is stepped over once at most: with no command in any checked file the
    // walk would otherwise go round for ever.
    size_t steps = 0;
    auto step = [&] {
        advance();
        return ++steps <= TestLines.size();
    };
    // A file unchecked while the position was inside it sends none of its remaining lines.
    if (!isTestHeader(TestLines[TestPos]) && !ownerChecked(TestPos)) {
        while (!isTestHeader(TestLines[TestPos]))
            if (!step()) return std::nullopt;
    }
    while (isTestHeader(TestLines[TestPos])) {
        const std::optional<size_t> k = headerFile(TestLines[TestPos]);
        if (!step()) return std::nullopt;
        if (!k || !files_[*k].checked) {
            while (!isTestHeader(TestLines[TestPos]))
                if (!step()) return std::nullopt;
        }
    }
    return TestPos;
}

}  // namespace velmora::tools
