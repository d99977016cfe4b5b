#include "pic18/Pic18Options.h"

#include "common/NumberText.h"

namespace velmora::pic18 {

std::optional<uint8_t> nodeSpeedCode(uint32_t baud) {
    switch (baud) {
        case 9600:
            return 0xFF;
        case 19200:
            return 0x81;
        case 57600:
            return 0x2A;
        case 115200:
            return 0x15;
        default:
            return std::nullopt;
    }
}

std::optional<Pic18Options> parsePic18Options(const std::vector<std::string_view>& args,
                                              std::string& error) {
    Pic18Options out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out.help = true;
            return out;
        }
        if (arg == "--unpaced") {
            out.paced = false;
            continue;
        }
        if (arg != "--link" && arg != "--baud" && arg != "--hex") {
            error = "unknown option " + std::string(arg) + " (--help lists the options)";
            return std::nullopt;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = std::string(arg) + " needs a value";
            return std::nullopt;
        }
        const std::string_view value = args[++i];
        if (arg == "--link") {
            out.linkPath = value;
        } else if (arg == "--hex") {
            out.hexPath = value;
        } else {
            const auto n = parseUnsigned(value, 0xFFFFFFFFu);
            if (!n || !nodeSpeedCode(static_cast<uint32_t>(*n))) {
                error = "--baud " + std::string(value) +
                        ": the node runs at 9600, 19200, 57600 or 115200";
                return std::nullopt;
            }
            out.baud = static_cast<uint32_t>(*n);
        }
    }
    return out;
}

const char* pic18Usage() {
    return "usage: velmora-pic18 [options]\n"
           "  A node monitor on a simulated PIC18F6520 (gpsim), its USART on a\n"
           "  pseudo-terminal. Prints the pty's path (and the link's) once the chip runs.\n"
           "  --link PATH   keep a stable link PATH to the pseudo-terminal\n"
           "  --baud N      line speed: 9600, 19200, 57600 or 115200 (default 115200);\n"
           "                written into the node's EEPROM speed cell before it starts\n"
           "  --hex FILE    an application image (Intel HEX) in Flash from 0x2000 up and\n"
           "                in EEPROM; its configuration bits are left out\n"
           "  --unpaced     let the chip run as fast as the simulator can, not in real time;\n"
           "                the line gets as fast (it still rests while the chip waits)\n"
           "Each line on standard input is a gpsim command, run with the chip stopped; its\n"
           "output follows on standard output, ended by a line \"--\".\n"
           "SIGINT, SIGTERM and the end of the parent process end it.\n";
}

}  // namespace velmora::pic18
