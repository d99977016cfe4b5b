#pragma once
// The test editor's rules without its widgets: the command entries, which fields each
// command needs, the key filter, and the command line "Запись" builds.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::tools {

inline constexpr std::array<const char*, 12> kEditorCommands = {
    "[ 70 ] - чтение RAM",          "[ 71 ] - запись RAM",
    "[ 72 ] - чтение бита RAM",     "[ 73 ] - запись бита RAM",
    "[ 74 ] - чтение EEPROM",       "[ 75 ] - запись в EEPROM",
    "[ 76 ] - чтение FLASH",        "[ 77 ] - запись во FLASH",
    "[ 78 ] - чтение Id контроллера", "[ 79 ] - запись Id контроллера",
    "[ 7A ] - чтение i2c",          "[ 7B ] - запись в i2c",
};

struct EditorFields {
    bool data = false;
    bool count = true;
    bool resourceAddress = true;
    bool i2c = false;
};

// The fields command entry `entry` needs; -1 is no entry chosen.
EditorFields editorFieldsFor(int entry);

// A key typed into a filtered field: the character to insert (upper case), or nothing
// when it is swallowed. Copy, backspace, paste and cut pass as they are.
std::optional<char32_t> filterEditorKey(char32_t key, bool dataField);

struct EditorInput {
    int entry = -1;  // index into kEditorCommands
    std::string node, i2cAddress, i2cRegister, resourceAddress, count, data;
};

struct EditorLine {
    std::string line;   // empty when refused
    std::string error;  // why, in the standard conversion-error wording
};

// "Запись": the line from the fields the command shows, every value two upper-case
// digits, the data bytes after two blanks. Refused with no command chosen, an empty or
// non-hexadecimal field, or a value too wide for its field.
EditorLine buildEditorLine(const EditorInput& in);

}  // namespace velmora::tools
