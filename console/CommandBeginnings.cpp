#include "console/CommandBeginnings.h"

#include "access/MemoryMap.h"
#include "common/HexText.h"

namespace velmora::console {

const std::array<CommandBeginning, 8>& commandBeginnings() {
    static const std::array<CommandBeginning, 8> items = {{
        {"loadRdRam", "чтение RAM/SFR", 1},
        {"loadWrRAM", "запись RAM/SFR", 1},
        {"loadRdFlash", "чтение Flash", 1},
        {"loadRdEE", "чтение EEPROM", 1},
        {"loadWrEE", "запись EEPROM", 1},
        {"loadRdI2C", "чтение i2c", 2},
        {"loadWrI2C", "запись i2c", 2},
        {"loadSetStr", "Уст-ка страницы  i2c", 2},
    }};
    return items;
}

bool beginningsEnabled(uint8_t selectionLevel) {
    return selectionLevel == 1 || selectionLevel == 2;
}

bool beginningShown(const CommandBeginning& item, uint8_t selectionLevel) {
    return item.level == selectionLevel;
}

std::optional<BeginningText> beginningText(const std::string& name, uint8_t cid, uint8_t slave) {
    const std::string node = hexNumber(cid, 2);
    if (name == "loadRdRam") return BeginningText{node + " 70 ", "rdRAM"};
    if (name == "loadWrRAM") return BeginningText{node + " 71 ", "wrRAM"};
    // A one-byte write of 0 to REG_PAGE.
    if (name == "loadSetStr")
        return BeginningText{
            node + " 7B " + hexNumber(slave, 2) + " " + hexNumber(access::kRegPage, 2) + " 1 0",
            "setStrSFR"};
    return std::nullopt;
}

}  // namespace velmora::console
