#include "pic18/ChipImage.h"

#include <memory>
#include <vector>

#include "common/HexText.h"
#include "firmware/HexLoader.h"
#include "firmware/HexWriter.h"

namespace velmora::pic18 {

namespace {

std::string record(uint16_t address, uint8_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()),
                                  static_cast<uint8_t>(address >> 8),
                                  static_cast<uint8_t>(address & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    bytes.push_back(static_cast<uint8_t>((256 - sum % 256) % 256));
    std::string line = ":";
    for (uint8_t b : bytes) line += hexNumber(b, 2);
    return line + "\n";
}

std::string upper(uint16_t value) {
    return record(0, 0x04, {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value & 0xFF)});
}

// Records of 0xFF over [0, size) under the upper address.
std::string erased(uint16_t upperAddress, uint32_t size) {
    std::string out = upper(upperAddress);
    for (uint32_t at = 0; at < size; at += 16)
        out += record(static_cast<uint16_t>(at), 0x00, std::vector<uint8_t>(16, 0xFF));
    return out;
}

// A HEX text without its end record, so that more records may follow it.
std::string withoutEnd(std::string_view hex) {
    std::string out;
    size_t pos = 0;
    while (pos < hex.size()) {
        size_t end = hex.find('\n', pos);
        if (end == std::string_view::npos) end = hex.size();
        std::string_view line = hex.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() >= 9 && line.substr(7, 2) == "01") break;
        if (!line.empty()) out += std::string(line) + "\n";
        pos = end + 1;
    }
    return out;
}

}  // namespace

std::string chipImage(std::string_view monitorHex, std::string_view applicationHex,
                      uint8_t speedCode, std::string& error) {
    // gpsim takes the records in order, a later byte over an earlier one.
    std::string out = erased(0x0000, kChipFlashSize) + withoutEnd(monitorHex);
    auto images = std::make_unique<firmware::FirmwareImages>();
    firmware::FirmwareImages& app = *images;
    if (!applicationHex.empty()) {
        const firmware::HexLoadResult loaded = firmware::loadHexText(applicationHex, 0, app);
        if (!loaded.ok()) {
            error = firmware::hexProblemMessage(loaded);
            return {};
        }
        for (uint32_t a = 0; a < app.FlashImage.size(); ++a) {
            if (app.FlashImage[a] == firmware::kErasedFlash) continue;
            if (a < kMonitorTop || a >= kChipFlashSize) {
                error = "the application has a byte at 0x" + hexNumber(a, 4) +
                        ", outside Flash 0x2000-0x7FFF";
                return {};
            }
        }
        // Flash only: the EEPROM is written whole below.
        auto flashOnly = std::make_unique<firmware::FirmwareImages>(app);
        flashOnly->EepromImage.fill(firmware::kEepromNotGiven);
        out += withoutEnd(firmware::writeHexText(*flashOnly, kMonitorTop));
    }
    // All of the EEPROM, in records of whole 16-bit words: gpsim drops a record of an odd
    // number of bytes.
    std::vector<uint8_t> eeprom(kChipEepromSize, 0xFF);
    for (uint32_t a = 0; a < kChipEepromSize; ++a)
        if (firmware::FirmwareImages::given(app.EepromImage[a]))
            eeprom[a] = static_cast<uint8_t>(app.EepromImage[a] & 0xFF);
    eeprom[kSpeedCell] = speedCode;
    out += upper(0x00F0);
    for (uint32_t at = 0; at < kChipEepromSize; at += 16)
        out += record(static_cast<uint16_t>(at), 0x00, {eeprom.begin() + at, eeprom.begin() + at + 16});
    return out + record(0, 0x01, {});
}

}  // namespace velmora::pic18
