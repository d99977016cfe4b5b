#pragma once
// Command line of velmora-cli.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/SendCommand.h"

namespace velmora::cli {

struct TransRequest {
    uint8_t cid = 0;
    uint8_t kind = 0;
    uint16_t address = 0;
    uint16_t count = 0;
    uint8_t slave = 0;
    uint8_t retries = 3;
    std::vector<uint8_t> data;
};

struct CliArgs {
    std::string port;  // a number or a device path; empty: the settings' default
    uint32_t speed = 115200;
    bool log = false;
    bool hardwareFlow = true;
    enum class Command { Ports, Trans, Send, Help } command = Command::Help;
    TransRequest trans;
    SendRequest send;
};

// Returns the parsed arguments, or nothing with a message in `error`.
std::optional<CliArgs> parseCliArgs(const std::vector<std::string>& args, std::string& error);

const char* cliUsage();

}  // namespace velmora::cli
