#include "cli/CliArgs.h"

#include "common/HexText.h"
#include "link/OperationKind.h"

namespace velmora::cli {

namespace {
std::optional<uint32_t> decimal(const std::string& text) {
    auto v = parseUnsigned(text, 999999999);
    if (!v) return std::nullopt;
    return static_cast<uint32_t>(*v);
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
           "  send [--crc-hi] [--wait MS] HH HH ...    one typed frame with its CRC (high byte\n"
           "                                          first with --crc-hi); prints the console's\n"
           "                                          lines; waits MS (default 700)\n";
}

std::optional<CliArgs> parseCliArgs(const std::vector<std::string>& args, std::string& error) {
    CliArgs out;
    std::vector<std::string> positional;
    bool haveData = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            out.command = CliArgs::Command::Help;
            return out;
        }
        if (a == "send" && positional.empty()) {
            auto send = parseSendWords({args.begin() + static_cast<long>(i) + 1, args.end()}, error);
            if (!send) return std::nullopt;
            out.command = CliArgs::Command::Send;
            out.send = *send;
            return out;
        }
        if (a.rfind("--", 0) == 0) {
            auto v = next();
            if (a == "--log") {
                if (v) --i;
                out.log = true;
                continue;
            }
            if (!v) {
                error = a + " needs a value";
                return std::nullopt;
            }
            if (a == "--port") {
                out.port = *v;
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
            } else {
                error = "unknown option " + a;
                return std::nullopt;
            }
            continue;
        }
        positional.push_back(a);
    }
    if (positional.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    if (positional[0] == "ports" && positional.size() == 1) {
        out.command = CliArgs::Command::Ports;
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
