#pragma once
// The simulated network described as text, one statement a line ('#' starts a comment):
//
//   node 01                  a node at Modbus address 01 (hex); what follows belongs to it
//   i2c 10                   a sub-module behind the last node; what follows belongs to it
//   id Type|Variant|2.03     identifier fields, '|' between them (UTF-8 here, Windows-1251
//                            on the wire)
//   ram 100 11 22 33         bytes at a RAM address
//   ee 0FD 15                bytes at an EEPROM address
//   flash 2000 AA BB         bytes at a Flash address
//
// Numbers are hexadecimal without prefix.

#include <string>
#include <string_view>

#include "sim/ModuleNetwork.h"

namespace velmora::sim {

// Fills `network`; on a bad line returns false with "line N: reason" in `error`.
bool loadConfig(std::string_view text, ModuleNetwork& network, std::string& error);

// The network used when no file is given: two nodes, two sub-modules behind the first.
std::string_view defaultConfig();

}  // namespace velmora::sim
