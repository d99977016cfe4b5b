#pragma once
// The system configuration file `sysConfig.trm`: for each table row a "[NN]" line with
// the node address, a line with the module count and one line per module address, all
// in hexadecimal, CR LF line ends. A file that does not read whole is refused whole, so
// the table and the tree never disagree about which node an entry stands for.

#include <string>
#include <string_view>
#include <variant>

#include "system/CurrentModule.h"

namespace velmora::system {

inline constexpr const char* kConfigFileName = "sysConfig.trm";

struct ConfigFault {
    enum Kind {
        NotHex,           // a line inside a block is not a hexadecimal number
        BadNodeLine,      // "[" not followed by two hexadecimal digits
        NodeZero,         // "[00]": address 0 marks an empty row
        ValueTooLarge,    // a module address above FF
        CountAbove32,     // more modules than a row holds
        EndsInsideBlock,  // fewer module lines than the count says
        TooManyNodes,     // a 33rd block
        Unreadable,       // the file could not be read
        TooLarge,         // far larger than any configuration
    };
    Kind kind = NotHex;
    int line = 0;      // 1-based; 0 when the fault is the file's as a whole
    std::string text;  // the offending line, or the operating system's reason
};

using ConfigParse = std::variant<SystemTableRows, ConfigFault>;

// Reads the file's text. Lines that are not consumed by a block and do not start with
// "[" are skipped; either letter case is accepted.
ConfigParse parseConfigText(std::string_view text);

// The rows up to the first empty one, as the file holds them.
std::string configText(const SystemTableRows& rows);

// What is wrong, in the program's language, naming the file and the line.
std::string configFaultMessage(const std::string& fileName, const ConfigFault& fault);

struct ConfigLoad {
    enum Outcome { Missing, Loaded, Refused } outcome = Missing;
    SystemTableRows rows{};
    ConfigFault fault;
};
ConfigLoad readConfigFile(const std::string& path);

// Replaces the file as a whole (written beside it, flushed to disk, renamed over it;
// through its symbolic links), so a failure or a killed program leaves the previous
// file intact. Empty on success, else the reason.
std::string writeConfigFile(const std::string& path, const SystemTableRows& rows);

}  // namespace velmora::system
