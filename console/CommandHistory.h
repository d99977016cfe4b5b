#pragma once
// The command line's history: at most eight lines, newest first, no line twice.

#include <string>
#include <vector>

namespace velmora::console {

inline constexpr size_t kHistoryItems = 8;

class CommandHistory {
public:
    // A new line goes first and pushes the oldest out past eight; a line already there
    // keeps its place. Compared exactly, letter case included.
    void remember(const std::string& line);
    // A loaded command set: its first eight distinct lines, in file order.
    void replaceWith(const std::vector<std::string>& lines);
    const std::vector<std::string>& items() const { return items_; }

private:
    std::vector<std::string> items_;
};

}  // namespace velmora::console
