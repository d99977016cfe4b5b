#pragma once
// The variable browser's entry lines ("Mod>01 123/04=", "i2c>01 050 02/01=") and the
// value lines shown under them, and the editor's composition of an entry from its four
// fields.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/RamVariableRead.h"

namespace velmora::tools {

// The editor's fields as typed.
struct EntryFields {
    std::string cid;    // edCID
    std::string slave;  // edSlave, empty for a node's own RAM
    std::string count;  // edKol, empty for one byte
    std::string address;  // edAdr
};

// What the editor shows in edKom: the entry, or nothing while a field is missing or is
// not a hexadecimal number of its width.
std::string composeEntry(const EntryFields& f);

// Why the fields cannot make an entry (the message to show), or nothing when they can.
// `focus` names the field to focus: 0 edCID, 1 edSlave, 2 edKol, 3 edAdr.
struct EntryRefusal {
    std::string message;
    int focus = 0;
};
std::optional<EntryRefusal> refuseEntry(const EntryFields& f);

// The fields an entry line fills in change mode; nothing for a line that is not one.
std::optional<EntryFields> fieldsOfEntry(std::string_view line);

// The variable an entry line names; nothing for a value line or a malformed line.
std::optional<RamVariable> variableOfEntry(std::string_view line);

// A line holding "=" is an entry; the others are value lines.
inline bool isEntryLine(std::string_view line) { return line.find('=') != line.npos; }

// What the browser's list shows of a line, column by column: an entry's node, i2c address
// (blank for the node's own RAM), RAM address and count; a value line's bytes.
struct LineColumns {
    std::string cid, slave, address, count, value;
    bool operator==(const LineColumns&) const = default;
};
LineColumns columnsOfLine(std::string_view line);

// The value lines of `bytes`: 16 blanks, then up to 16 bytes as " XX".
std::vector<std::string> valueLines(const std::vector<uint8_t>& bytes);

}  // namespace velmora::tools
