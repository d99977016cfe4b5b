#pragma once
// velmora-cli setlink CID speed|modbus|i2c|vector VALUE: writes one of a node's link
// parameters into its EEPROM, as the window's parameter editor does, so a production
// line can commission a node without the window. The speed is given in bit/s, the
// others as hexadecimal bytes.

#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "link/TransactionEngine.h"
#include "system/LinkParams.h"

namespace velmora::cli {

struct SetLinkCommand {
    uint8_t cid = 0;
    system::LinkParam param = system::LinkParam::Speed;
    uint8_t value = 0;  // the byte written (the speed's code for a speed)
};

std::variant<SetLinkCommand, std::string> parseSetLinkCommand(
    const std::vector<std::string>& words);

int runSetLinkCommand(const SetLinkCommand& c, link::TransactionEngine& engine, std::FILE* out,
                      std::FILE* err);

}  // namespace velmora::cli
