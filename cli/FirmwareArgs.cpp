#include "cli/FirmwareArgs.h"

#include "common/NumberText.h"
#include "firmware/FlashEraser.h"

namespace velmora::cli {

namespace {

bool node(const std::string& word, CliArgs& out, std::string& error) {
    auto cid = parseHex(word, 0xFF);
    // Nobody answers the broadcast address, and every step here waits for an answer.
    if (!cid || *cid == 0) {
        error = "bad CID '" + word + "' (hex 01..FF)";
        return false;
    }
    out.firmware.cid = static_cast<uint8_t>(*cid);
    return true;
}

}  // namespace

bool isFirmwareCommand(const std::string& word) {
    return word == "program" || word == "erase" || word == "backup";
}

bool parseFirmwareCommand(const std::vector<std::string>& w, CliArgs& out, std::string& error) {
    if (w[0] == "program") {
        if (w.size() != 3) {
            error = "program takes FILE.hex CID";
            return false;
        }
        out.command = CliArgs::Command::Program;
        out.firmware.file = w[1];
        return node(w[2], out, error);
    }
    if (w[0] == "backup") {
        if (w.size() != 3) {
            error = "backup takes CID FILE.hex";
            return false;
        }
        out.command = CliArgs::Command::Backup;
        out.firmware.file = w[2];
        return node(w[1], out, error);
    }
    if (w.size() != 4) {
        error = "erase takes CID START END";
        return false;
    }
    out.command = CliArgs::Command::Erase;
    if (!node(w[1], out, error)) return false;
    auto start = parseHex(w[2], 0xFFFF);
    auto end = parseHex(w[3], 0xFFFF);
    if (!start || !end ||
        !firmware::eraseRangeAllowed({*start, *end}, out.flashBottom)) {
        error = "Ошбка диапазона стирания";
        return false;
    }
    out.firmware.start = *start;
    out.firmware.end = *end;
    return true;
}

}  // namespace velmora::cli
