#pragma once
// Command line of velmora-cli.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/DumpCommand.h"
#include "cli/PokeCommand.h"
#include "cli/SfrCommand.h"
#include "cli/InitCommand.h"
#include "cli/ScanCommand.h"
#include "cli/SendCommand.h"
#include "cli/TestCommand.h"

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

// program FILE CID, erase CID START END, backup CID FILE.
struct FirmwareRequest {
    std::string file;
    uint8_t cid = 0;
    uint16_t shift = 0;  // --shift
    bool verify = false;  // --verify
    uint32_t start = 0, end = 0;
};

struct CliArgs {
    std::string port;  // a number or a device path (made absolute); empty: the settings' default
    uint32_t speed = 115200;
    bool log = false;
    bool hardwareFlow = true;
    enum class Command {
        Ports,
        Trans,
        Help,
        Program,
        Erase,
        Backup,
        Ident,
        SetLink,
        Dump,
        Sfr,
        Poke,
        Scan,
        Init,
        Send,
        Test,
        Watch,
        Decode,
        Symbols
    } command = Command::Help;
    TransRequest trans;
    bool slaveGiven = false;        // --slave: the command addresses an i2c module
    uint16_t flashBottom = 0x2000;  // --flash-bottom, as the settings' default
    FirmwareRequest firmware;
    std::vector<std::string> words;  // after the command's name, for its own parser
    std::optional<DumpCommand> dump;
    std::optional<SfrCommand> sfr;
    std::optional<PokeCommand> poke;
    ScanCommand scan;
    InitCommand init;
    SendRequest send;
    TestRequest test;
};

// Returns the parsed arguments, or nothing with a message in `error`.
std::optional<CliArgs> parseCliArgs(const std::vector<std::string>& args, std::string& error);

const char* cliUsage();

}  // namespace velmora::cli
