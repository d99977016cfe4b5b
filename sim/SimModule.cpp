#include "sim/SimModule.h"

#include <algorithm>
#include <cstring>

namespace velmora::sim {

namespace {
constexpr uint8_t kFlashAddressReg = 0xF6;
constexpr uint8_t kFlashDataReg = 0xF5;
constexpr uint8_t kFlashControlReg = 0xA6;
constexpr uint8_t kEepromDataReg = 0xA8;
constexpr uint8_t kEepromAddressReg = 0xA9;
constexpr uint8_t kEraseBlock = 0x10;  // the FREE bit of EECON1

bool hasTerminator(const uint8_t* data, size_t count, size_t at) {
    return count == at + 2 && data[at] == 0x55 && data[at + 1] == 0xAA;
}
}  // namespace

SimModule::SimModule() : flash(kFlashSize, 0xFF) {
    id.fill(0xFF);
    eeprom.fill(0xFF);
}

std::vector<uint8_t> SimModule::identifierBlock(const std::vector<std::string>& fields,
                                                size_t size) {
    std::vector<uint8_t> block(size, 0xFF);
    size_t at = 0;
    for (const std::string& f : fields) {
        for (char c : f) {
            if (at + 1 >= size) break;
            block[at++] = static_cast<uint8_t>(c);
        }
        if (at >= size) break;
        block[at++] = 0x0D;
    }
    return block;
}

bool SimModule::isProgrammingRegister(uint8_t reg) const {
    if (ram[kRegPage] != 0) return false;
    return reg == kFlashAddressReg || reg == kFlashDataReg || reg == kFlashControlReg ||
           reg == kEepromDataReg || reg == kEepromAddressReg;
}

uint16_t SimModule::windowAddress(uint8_t reg) const {
    if (reg < 0x80) return reg;
    return static_cast<uint16_t>((ram[kRegPage] & 0x1F) * 0x80 + (reg - 0x80));
}

Code SimModule::i2cRead(uint8_t reg, size_t count, uint8_t* out) {
    if (isProgrammingRegister(reg)) {
        switch (reg) {
            case kFlashDataReg:
                for (size_t i = 0; i < count; ++i) out[i] = flash[flashPointer++];
                return kOk;
            case kEepromDataReg:
                for (size_t i = 0; i < count; ++i) {
                    out[i] = eeprom[eepromPointer];
                    eepromPointer = (eepromPointer + 1) % kEepromSize;
                }
                return kOk;
            case kFlashAddressReg:
                for (size_t i = 0; i < count; ++i)
                    out[i] = i == 0 ? flashPointer & 0xFF : i == 1 ? flashPointer >> 8 : 0;
                return kOk;
            default:
                std::fill(out, out + count, 0);
                return kOk;
        }
    }
    for (size_t i = 0; i < count; ++i) out[i] = ram[windowAddress(static_cast<uint8_t>(reg + i))];
    return kOk;
}

Code SimModule::i2cWrite(uint8_t reg, const uint8_t* data, size_t count) {
    if (isProgrammingRegister(reg)) {
        switch (reg) {
            case kFlashAddressReg:
                if (count != 3) return kBadFormat;
                if (data[2] != 0) return kBadAddress;
                flashPointer = static_cast<uint16_t>(data[0] | (data[1] << 8));
                return kOk;
            case kFlashDataReg:
                if (count < 8) return kBadFormat;
                if (!hasTerminator(data, count, 8)) return kNoTerminator;
                // Programming can only clear bits; an erased row takes the data as it is.
                for (size_t i = 0; i < 8; ++i) flash[flashPointer++] &= data[i];
                return kOk;
            case kFlashControlReg:
                if (count < 1) return kBadFormat;
                if (!hasTerminator(data, count, 1)) return kNoTerminator;
                if (data[0] == kEraseBlock)
                    std::fill_n(flash.begin() + (flashPointer & 0xFFC0), 64, 0xFF);
                return kOk;
            case kEepromAddressReg:
                if (count != 2) return kBadFormat;
                eepromPointer = static_cast<uint16_t>((data[0] | (data[1] << 8)) % kEepromSize);
                return kOk;
            case kEepromDataReg:
                if (count < 1) return kBadFormat;
                if (!hasTerminator(data, count, 1)) return kNoTerminator;
                eeprom[eepromPointer] = data[0];
                eepromPointer = (eepromPointer + 1) % kEepromSize;
                return kOk;
            default:
                return kBadFormat;
        }
    }
    // Each byte may move the window (a write to REG_PAGE), as on the real register file.
    for (size_t i = 0; i < count; ++i) ram[windowAddress(static_cast<uint8_t>(reg + i))] = data[i];
    return kOk;
}

void SimModule::writeFlashBlock(uint16_t address, const uint8_t* data) {
    std::memcpy(flash.data() + address, data, 64);
}

}  // namespace velmora::sim
