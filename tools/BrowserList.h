#pragma once
// The variable browser's list `reBrow`: entry lines each followed by their value lines,
// the selection (only ever on an entry), and the refresh pass that rebuilds the value
// lines.

#include <optional>
#include <string>
#include <vector>

#include "link/TransactionEngine.h"

namespace velmora::tools {

class BrowserList {
public:
    const std::vector<std::string>& lines() const { return lines_; }
    std::optional<size_t> selected() const { return selected_; }
    bool empty() const { return lines_.empty(); }

    // A click on line `index`: selects it when it is an entry, clears the selection
    // otherwise (value lines cannot be selected).
    void click(size_t index);
    // "Добавить": the entry goes to the end.
    void append(const std::string& entry);
    // "Изменить": the selected entry becomes `entry`; its value lines go with the old
    // entry, since they may no longer match it (the next pass writes new ones).
    void replaceSelected(const std::string& entry);
    // "Удалить": the selected entry and its value lines.
    void removeSelected();

    // The refresh pass: reads every entry in order. On the first failed read the list
    // is left as it was and false comes back. Otherwise the entries get fresh value
    // lines and the same entry stays selected.
    bool refresh(link::TransactionEngine& engine);

private:
    size_t endOfEntry(size_t index) const;  // one past its last value line
    std::optional<size_t> entryOrdinal(size_t index) const;
    std::optional<size_t> lineOfOrdinal(size_t ordinal) const;

    std::vector<std::string> lines_;
    std::optional<size_t> selected_;
};

}  // namespace velmora::tools
