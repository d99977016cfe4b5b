#pragma once
// The command line of velmora-pic18: the line speed, the pty's stable link, an
// application image to start with, and whether the simulated chip is held to real time.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::pic18 {

struct Pic18Options {
    bool help = false;
    std::string linkPath;  // stable link to the pty; empty for none
    uint32_t baud = 115200;
    std::string hexPath;   // application image above the monitor; empty for none
    bool paced = true;     // false: the chip runs as fast as gpsim can
};

// The speeds the node has a code for in its EEPROM, and the codes.
std::optional<uint8_t> nodeSpeedCode(uint32_t baud);

// Reads the arguments after the program name; nothing with the reason in `error` when
// they are wrong.
std::optional<Pic18Options> parsePic18Options(const std::vector<std::string_view>& args,
                                              std::string& error);

const char* pic18Usage();

}  // namespace velmora::pic18
