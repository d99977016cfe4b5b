#pragma once
// "Создать команду": the command beginnings offered for the selected module. A node gets
// the memory commands, an i2c module behind it the i2c commands; nothing selected,
// nothing is offered. Three of them start the command line.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace velmora::console {

struct CommandBeginning {
    const char* name;     // menu item
    const char* caption;
    uint8_t level;        // the selection level it is shown for: 1 node, 2 i2c module
};

const std::array<CommandBeginning, 8>& commandBeginnings();

// Whether "Создать команду" can be opened at this selection level.
bool beginningsEnabled(uint8_t selectionLevel);
bool beginningShown(const CommandBeginning& item, uint8_t selectionLevel);

// What an item puts in place: the command line's new text and the format hint's name
// (as in "Формат команды"). Nothing for the items without an action.
struct BeginningText {
    std::string line;
    std::string hintName;
};
std::optional<BeginningText> beginningText(const std::string& name, uint8_t cid, uint8_t slave);

}  // namespace velmora::console
