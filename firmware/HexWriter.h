#pragma once
// Writes the images as Intel HEX text that the loader reads back to the same images:
// Flash under upper address 0x0000 from `flashFrom` on, leaving out 64-byte blocks of
// all 0xFF; the given EEPROM cells under upper address 0x00F0 (0xF00000).

#include <cstdint>
#include <string>
#include <vector>

#include "firmware/FirmwareImages.h"

namespace velmora::firmware {

std::string writeHexText(const FirmwareImages& images, uint32_t flashFrom);

// One record, ":LLAAAATT...CC", with its checksum, ended by `lineEnd`.
std::string hexRecord(uint16_t address, uint8_t type, const std::vector<uint8_t>& data,
                      const char* lineEnd = "\r\n");

}  // namespace velmora::firmware
