#include "cli/CliArgs.h"

#include <filesystem>
#include <system_error>

#include "cli/CommandOptions.h"
#include "cli/FirmwareArgs.h"
#include "cli/SymbolsCommand.h"
#include "common/HexText.h"
#include "link/OperationKind.h"

namespace velmora::cli {

namespace {
std::optional<uint32_t> decimal(const std::string& text) {
    auto v = parseUnsigned(text, 999999999);
    if (!v) return std::nullopt;
    return static_cast<uint32_t>(*v);
}
// The port as QSerialPort must be given it: it takes a name without a leading '/' for
// one under /dev, so a relative path to a device that exists ("./ttyV0", "sim/port") is
// made absolute here. A port number stays a number.
std::string portWord(const std::string& word) {
    const bool number = !word.empty() && word.find_first_not_of("0123456789") == std::string::npos &&
                        word.find_first_not_of('0') != std::string::npos;
    if (number || word.empty() || word.front() == '/') return word;
    std::error_code ec;
    if (!std::filesystem::exists(word, ec)) return word;
    const std::filesystem::path absolute = std::filesystem::absolute(word, ec);
    return ec ? word : absolute.lexically_normal().string();
}

}  // namespace

const char* cliUsage() {
    return "usage: velmora-cli [--port PATH_OR_NUMBER] [--speed BAUD] [--flow hw|none] [--log] "
           "COMMAND\n"
           "  ports                                   list the serial ports present\n"
           "  trans CID KIND ADDR COUNT [--slave S] [--retries R] [--data \"HH HH ...\"]\n"
           "                                          one transaction; CID, ADDR, COUNT, S and\n"
           "                                          the data in hex, KIND a name (rdID ...\n"
           "                                          initMod) or number 0..11, R decimal\n"
           "  program FILE.hex CID [--slave S] [--shift HHHH] [--verify]\n"
           "  erase CID START END [--slave S]\n"
           "  backup CID FILE.hex [--slave S]           (--flash-bottom HHHH, default 2000)\n"
           "  ident CID [--slave S]                   the identifier, one line per field\n"
           "  setlink CID speed|modbus|i2c|vector VALUE\n"
           "                                          writes a node's link parameter into its\n"
           "                                          EEPROM; speed in bit/s, the others hex\n"
           "  dump ram|ee|flash CID ADDR [--slave S] [--pages N]\n"
           "                                          N 256-byte pages (default 1) from ADDR's\n"
           "  sfr CID [NAME=HH] [--slave S]           list the SFRs, or write one\n"
           "  poke ram|ee CID ADDR HH [--slave S]     write one byte as the cell editor does\n"
           "  scan [--nodes A-B]                      find the nodes and their i2c modules\n"
           "                                          (node range in hex, default 1-FF)\n"
           "  init CID                                initialise the module at node CID (hex)\n"
           "  symbols FILE                            the RAM names of a .cod file or listing,\n"
           "                                          NAME XXX a line, by address\n"
           "  dump ram ... --symbols FILE, watch ... --symbols FILE\n"
           "                                          ADDR may be a RAM name from FILE\n"

           "  send [--crc-hi] [--wait MS] HH HH ...    one typed frame with its CRC (high byte\n"
           "                                          first with --crc-hi); prints the console's\n"
           "                                          lines; waits MS (default 700)\n"
           "  test FILE.tst [--once] [--period MS] [--log FILE]\n"
           "                                          replays a test file as the tester does,\n"
           "                                          MS between frames (default 250); --log\n"
           "                                          appends the tester's log lines to FILE\n"

           "  decode [--crc-hi] HH HH ...              one frame (request or reply, CRC\n"
           "                                          included) taken apart, a field a line;\n"
           "                                          exit 1 when its CRC is wrong\n"
           "  watch CID ADDR COUNT [--slave S] [--period MS] [--csv FILE]\n"
           "                                          reads COUNT (1-8) RAM bytes every MS\n"
           "                                          (default 500), a time-stamped line a\n"
           "                                          pass, until interrupted; --csv writes\n"
           "                                          the values read to FILE at the end\n";
}

std::optional<CliArgs> parseCliArgs(const std::vector<std::string>& args, std::string& error) {
    CliArgs out;
    std::vector<std::string> positional;
    bool haveData = false;
    std::optional<std::string> pagesWord;
    std::optional<std::string> symbolsWord;
    std::vector<std::string> optionNames;  // the command options met, general ones aside
    std::vector<std::string> optionWords;  // the same with their values, as typed
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        // The words of a command that reads them itself, options met before its name
        // first; nothing when one belongs to another command.
        auto ownWords = [&]() -> std::optional<std::vector<std::string>> {
            std::vector<std::string> words = optionWords;
            words.insert(words.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            if (auto refusal = foreignOptionIn(a, words)) {
                error = *refusal;
                return std::nullopt;
            }
            return words;
        };
        if (a == "--help" || a == "-h") {
            out.command = CliArgs::Command::Help;
            return out;
        }
        if (a == "send" && positional.empty()) {
            const auto words = ownWords();
            if (!words) return std::nullopt;
            auto send = parseSendWords(*words, error);
            if (!send) return std::nullopt;
            out.command = CliArgs::Command::Send;
            out.send = *send;
            return out;
        }
        if (a == "decode" && positional.empty()) {
            const auto words = ownWords();
            if (!words) return std::nullopt;
            out.command = CliArgs::Command::Decode;
            out.words = *words;
            return out;
        }
        if (a == "watch" && positional.empty()) {
            const auto words = ownWords();
            if (!words) return std::nullopt;
            out.command = CliArgs::Command::Watch;
            out.words = *words;
            if (!nameToAddressIn(out.words, 1, error)) return std::nullopt;
            return out;
        }
        if (a.rfind("--", 0) == 0) {
            const std::optional<OptionRule> general = generalOption(a);
            const std::optional<OptionRule> option = general ? general : commandOption(a);
            if (!option) {
                error = "unknown option " + a;
                return std::nullopt;
            }
            // A command's option is checked against the command once its name is known;
            // one met before the name of a command that reads its own words goes to it.
            if (!general) {
                optionNames.push_back(a);
                optionWords.push_back(a);
            }
            if (!option->takesValue) {
                if (a == "--log") out.log = true;
                if (a == "--verify") out.firmware.verify = true;
                continue;
            }
            auto v = next();
            if (!v) {
                error = a + " needs a value";
                return std::nullopt;
            }
            if (!general) optionWords.push_back(*v);
            if (a == "--port") {
                out.port = portWord(*v);
            } else if (a == "--speed") {
                auto s = decimal(*v);
                if (!s || *s == 0) {
                    error = "bad speed '" + *v + "'";
                    return std::nullopt;
                }
                out.speed = *s;
            } else if (a == "--flow") {
                if (*v != "hw" && *v != "none") {
                    error = "--flow takes hw or none";
                    return std::nullopt;
                }
                out.hardwareFlow = *v == "hw";
            } else if (a == "--slave") {
                auto s = parseHex(*v, 0xFF);
                if (!s) {
                    error = "bad i2c slave address '" + *v + "' (hex 00..FF)";
                    return std::nullopt;
                }
                out.trans.slave = static_cast<uint8_t>(*s);
                out.slaveGiven = true;
            } else if (a == "--shift" || a == "--flash-bottom") {
                auto h = parseHex(*v, 0xFFFF);
                if (!h) {
                    error = "bad " + a.substr(2) + " '" + *v + "' (hex 0000..FFFF)";
                    return std::nullopt;
                }
                (a == "--shift" ? out.firmware.shift : out.flashBottom) = static_cast<uint16_t>(*h);
            } else if (a == "--pages") {
                pagesWord = *v;
            } else if (a == "--symbols") {
                symbolsWord = *v;
            } else if (a == "--retries") {
                // Retries 0 would send nothing and report success with data nobody sent.
                auto r = decimal(*v);
                if (!r || *r < 1 || *r > 255) {
                    error = "bad retries '" + *v + "' (decimal 1..255)";
                    return std::nullopt;
                }
                out.trans.retries = static_cast<uint8_t>(*r);
            } else if (a == "--data") {
                auto d = parseHexByteList(*v);
                if (!d) {
                    error = "bad data '" + *v + "' (hex bytes separated by blanks)";
                    return std::nullopt;
                }
                out.trans.data = *d;
                haveData = true;
            }
            continue;
        }
        if (positional.empty() && a == "test") {
            const auto words = ownWords();
            if (!words) return std::nullopt;
            auto test = parseTestWords(*words, error);
            if (!test) return std::nullopt;
            out.command = CliArgs::Command::Test;
            out.test = *test;
            return out;
        }
        if (positional.empty() && (a == "scan" || a == "init")) {
            // These commands read the rest of the words themselves.
            const auto words = ownWords();
            if (!words) return std::nullopt;
            const std::vector<std::string>& rest = *words;
            if (a == "scan") {
                auto scan = parseScanCommand(rest, error);
                if (!scan) return std::nullopt;
                out.command = CliArgs::Command::Scan;
                out.scan = *scan;
            } else {
                auto init = parseInitCommand(rest, error);
                if (!init) return std::nullopt;
                out.command = CliArgs::Command::Init;
                out.init = *init;
            }
            return out;
        }
        positional.push_back(a);
    }
    if (positional.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    if (isKnownCommand(positional[0])) {
        for (const std::string& name : optionNames) {
            if (auto refusal = foreignOption(positional[0], name)) {
                error = *refusal;
                return std::nullopt;
            }
        }
    }
    if (positional[0] == "symbols") {
        if (positional.size() != 2) {
            error = "symbols takes FILE (a .cod file or an assembler listing)";
            return std::nullopt;
        }
        out.command = CliArgs::Command::Symbols;
        out.words = {positional[1]};
        return out;
    }
    if (positional[0] == "ports" && positional.size() == 1) {
        out.command = CliArgs::Command::Ports;
        return out;
    }
    if (isFirmwareCommand(positional[0])) {
        if (!parseFirmwareCommand(positional, out, error)) return std::nullopt;
        return out;
    }
    if (positional[0] == "ident" || positional[0] == "setlink") {
        out.command =
            positional[0] == "ident" ? CliArgs::Command::Ident : CliArgs::Command::SetLink;
        out.words.assign(positional.begin() + 1, positional.end());
        if (out.command == CliArgs::Command::SetLink && out.trans.slave != 0) {
            error = "setlink writes a node's own EEPROM: --slave does not go with it";
            return std::nullopt;
        }
        return out;
    }
    if (positional[0] == "dump" || positional[0] == "sfr" || positional[0] == "poke") {
        const uint8_t slave = out.trans.slave;
        if (positional[0] == "dump") {
            out.command = CliArgs::Command::Dump;
            if (symbolsWord && positional.size() == 4 && positional[1] == "ram" &&
                !nameToAddress(positional[3], *symbolsWord, error))
                return std::nullopt;
            out.dump = parseDumpCommand(positional, slave, pagesWord, error);
            if (!out.dump) return std::nullopt;
        } else if (positional[0] == "sfr") {
            out.command = CliArgs::Command::Sfr;
            out.sfr = parseSfrCommand(positional, slave, error);
            if (!out.sfr) return std::nullopt;
        } else {
            out.command = CliArgs::Command::Poke;
            out.poke = parsePokeCommand(positional, slave, error);
            if (!out.poke) return std::nullopt;
        }
        return out;
    }
    if (positional[0] != "trans") {
        error = "unknown command '" + positional[0] + "'";
        return std::nullopt;
    }
    if (positional.size() != 5) {
        error = "trans takes CID KIND ADDR COUNT";
        return std::nullopt;
    }
    out.command = CliArgs::Command::Trans;
    auto cid = parseHex(positional[1], 0xFF);
    auto kind = link::parseKind(positional[2]);
    auto adr = parseHex(positional[3], 0xFFFF);
    // Only a one-byte count goes on the wire.
    auto count = parseHex(positional[4], 0xFF);
    if (!cid)
        error = "bad CID '" + positional[1] + "' (hex 00..FF)";
    else if (!kind)
        error = "bad KIND '" + positional[2] + "' (rdID ... initMod, or 0..11)";
    else if (!adr)
        error = "bad ADDR '" + positional[3] + "' (hex 0000..FFFF)";
    else if (!count)
        error = "bad COUNT '" + positional[4] + "' (hex 00..FF)";
    else if (*cid == 0 && link::isReadKind(*kind))
        error = "a read needs a node address 01..FF: nobody answers the broadcast address 00";
    if (!error.empty()) return std::nullopt;
    out.trans.cid = static_cast<uint8_t>(*cid);
    out.trans.kind = *kind;
    out.trans.address = static_cast<uint16_t>(*adr);
    out.trans.count = static_cast<uint16_t>(*count);
    if (link::isWriteKind(*kind)) {
        if (!haveData || out.trans.data.size() != out.trans.count) {
            error = "a write of COUNT bytes needs --data with exactly COUNT bytes";
            return std::nullopt;
        }
        if (out.trans.count > 249) {
            error = "a write carries at most F9 (249) bytes";
            return std::nullopt;
        }
    } else if (haveData) {
        error = "--data goes with write kinds only";
        return std::nullopt;
    }
    return out;
}

}  // namespace velmora::cli
