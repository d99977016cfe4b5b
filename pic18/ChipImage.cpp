#include "pic18/ChipImage.h"

#include <map>
#include <memory>
#include <vector>

#include "common/HexText.h"
#include "firmware/HexWriter.h"
#include "firmware/HexLoader.h"

namespace velmora::pic18 {

namespace {

constexpr uint32_t kEepromBase = 0xF00000;  // where a PIC18 HEX file keeps the EEPROM

// The chip's address space as HEX records give it.
using ByteMap = std::map<uint32_t, uint8_t>;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The monitor's HEX text (the assembler's, so data and linear address records only)
// into `bytes`; false when a line is not a good record.
bool readMonitor(std::string_view hex, ByteMap& bytes) {
    uint32_t upper = 0;
    size_t pos = 0;
    while (pos < hex.size()) {
        size_t end = hex.find('\n', pos);
        if (end == std::string_view::npos) end = hex.size();
        std::string_view line = hex.substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty()) continue;
        if (line[0] != ':' || line.size() % 2 == 0 || line.size() < 11) return false;
        std::vector<uint8_t> b;
        for (size_t i = 1; i < line.size(); i += 2) {
            const int hi = hexDigit(line[i]), lo = hexDigit(line[i + 1]);
            if (hi < 0 || lo < 0) return false;
            b.push_back(static_cast<uint8_t>(hi * 16 + lo));
        }
        unsigned sum = 0;
        for (uint8_t x : b) sum += x;
        if (sum % 256 != 0 || b.size() != b[0] + 5u) return false;
        const uint32_t address = (b[1] << 8) | b[2];
        switch (b[3]) {
            case 0x00:
                for (size_t i = 0; i < b[0]; ++i) bytes[upper + address + i] = b[4 + i];
                break;
            case 0x01:
                return true;
            case 0x04:
                upper = static_cast<uint32_t>((b[4] << 8) | b[5]) << 16;
                break;
            default:
                return false;
        }
    }
    return true;
}

std::string record(uint16_t address, uint8_t type, const std::vector<uint8_t>& data) {
    return firmware::hexRecord(address, type, data, "\n");
}

// Whole 16-byte lines at 16-byte boundaries, a byte not given as 0xFF: gpsim reads
// program, configuration and EEPROM records by 16-bit words, and takes a record that
// starts at an odd address or holds an odd number of bytes a byte out of place.
std::string writeAligned(const ByteMap& bytes) {
    std::string out;
    uint32_t upper = 0xFFFFFFFF;
    for (auto it = bytes.begin(); it != bytes.end();) {
        const uint32_t line = it->first & ~0xFu;
        if ((line >> 16) != upper) {
            upper = line >> 16;
            out += record(0, 0x04, {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)});
        }
        std::vector<uint8_t> data(16, 0xFF);
        for (; it != bytes.end() && (it->first & ~0xFu) == line; ++it) data[it->first & 0xF] = it->second;
        out += record(static_cast<uint16_t>(line & 0xFFFF), 0x00, data);
    }
    return out + record(0, 0x01, {});
}

}  // namespace

std::string chipImage(std::string_view monitorHex, std::string_view applicationHex,
                      uint8_t speedCode, std::string& error) {
    ByteMap bytes;
    // A blank chip: Flash and EEPROM erased.
    for (uint32_t a = 0; a < kChipFlashSize; ++a) bytes[a] = 0xFF;
    for (uint32_t a = 0; a < kChipEepromSize; ++a) bytes[kEepromBase + a] = 0xFF;
    if (!readMonitor(monitorHex, bytes)) {
        error = "the monitor's image is not an Intel HEX file";
        return {};
    }
    if (!applicationHex.empty()) {
        // Read as the program reads a file for programming, so the chip starts with what
        // a programming run would have written.
        auto app = std::make_unique<firmware::FirmwareImages>();
        const firmware::HexLoadResult loaded = firmware::loadHexText(applicationHex, 0, *app);
        if (!loaded.ok()) {
            error = firmware::hexProblemMessage(loaded);
            return {};
        }
        for (uint32_t a = 0; a < app->FlashImage.size(); ++a) {
            if (app->FlashImage[a] == firmware::kErasedFlash) continue;
            if (a < kMonitorTop || a >= kChipFlashSize) {
                error = "the application has a byte at 0x" + hexNumber(a, 4) +
                        ", outside Flash 0x2000-0x7FFF";
                return {};
            }
            bytes[a] = app->FlashImage[a];
        }
        for (uint32_t a = 0; a < kChipEepromSize; ++a)
            if (firmware::FirmwareImages::given(app->EepromImage[a]))
                bytes[kEepromBase + a] = static_cast<uint8_t>(app->EepromImage[a] & 0xFF);
    }
    bytes[kEepromBase + kSpeedCell] = speedCode;
    return writeAligned(bytes);
}

}  // namespace velmora::pic18
