#include "views/SfrList.h"

#include <algorithm>

#include "common/HexText.h"
#include "views/NameTables.h"

namespace velmora::views {

std::string sfrItemText(size_t index, std::optional<uint8_t> value) {
    std::string text(SFRNames.at(index));
    text.resize(std::max<size_t>(text.size(), 9), ' ');
    return text + "=" + (value ? hexNumber(*value, 2) : std::string("??"));
}

std::vector<std::string> sfrListItems(const std::optional<std::array<uint8_t, 128>>& values) {
    std::vector<std::string> items;
    items.reserve(SFRNames.size());
    for (size_t i = 0; i < SFRNames.size(); ++i)
        items.push_back(
            sfrItemText(i, values ? std::optional<uint8_t>((*values)[i]) : std::nullopt));
    std::sort(items.begin(), items.end());
    return items;
}

std::optional<uint16_t> sfrItemAddress(std::string_view item) {
    std::string_view name = item.substr(0, item.find('='));
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return sfrAddress(name);
}

std::string_view sfrItemValue(std::string_view item) {
    const size_t eq = item.find('=');
    return eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
}

}  // namespace velmora::views
