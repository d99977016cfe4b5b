#pragma once
// What the program keeps between runs, and how it maps onto the settings file.
//
// The system speed is written as [System] sysSpeedModbus in bit/s and read from there;
// files that only have the older [System] sysSpeed (an index: 0 = 9600, 1 = 19200,
// 2 = 57600, 3 = 115200) are still understood. The HEX directory is written and read
// as [System] HexDir; [File] HexDir is still understood.

#include <cstdint>
#include <string>

#include "app/IniFile.h"

namespace velmora::app {

struct AppSettings {
    int width = 500;
    int height = 570;
    int left = 100;
    int top = 100;
    uint32_t startAdrFlash = 0x2000;
    bool autoScan = true;
    bool protocol = false;
    // Handed to the speed setter, which turns anything but the six speeds into 115200.
    uint32_t systemSpeed = 115200;
    std::string hexDir;
    int portNumber = 2;
    std::string portPath;  // a device that is not a numbered built-in port
    bool hardwareFlow = true;  // [Comm] Flow: RTS/CTS handshake, 1 or 0
    bool logTimes = false;     // [System] ProtTime: protocol lines start with the time of day
    int scanFirst = 1;         // [System] ScanFirst, ScanLast: the nodes a scan asks
    int scanLast = 0xFF;
    std::string symbolFile;    // [System] SymbolFile: the project's .cod file or listing
};

AppSettings readSettings(const IniFile& ini);
// In the order the program has always written them.
void writeSettings(IniFile& ini, const AppSettings& settings);

}  // namespace velmora::app
