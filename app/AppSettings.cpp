#include "app/AppSettings.h"

#include "system/NodeRange.h"

namespace velmora::app {

namespace {
const uint32_t kSpeedByIndex[] = {9600, 19200, 57600, 115200};

int intOr(const IniFile& ini, const char* section, const char* key, int fallback) {
    auto v = ini.integer(section, key);
    if (!v || *v < -1000000 || *v > 1000000) return fallback;
    return static_cast<int>(*v);
}
}  // namespace

AppSettings readSettings(const IniFile& ini) {
    AppSettings s;
    s.width = intOr(ini, "Form", "Width", s.width);
    s.height = intOr(ini, "Form", "Height", s.height);
    s.left = intOr(ini, "Form", "Left", s.left);
    s.top = intOr(ini, "Form", "Top", s.top);
    int flash = intOr(ini, "System", "startAdrFlash", 0x2000);
    s.startAdrFlash = flash >= 0 && flash <= 0xFFFF ? static_cast<uint32_t>(flash) : 0x2000;
    s.autoScan = intOr(ini, "System", "AutoSkan", 1) != 0;
    s.protocol = intOr(ini, "System", "Prot", 0) != 0;
    if (auto bps = ini.integer("System", "sysSpeedModbus"); bps && *bps > 0 && *bps < 10000000) {
        s.systemSpeed = static_cast<uint32_t>(*bps);
    } else {
        int index = intOr(ini, "System", "sysSpeed", 3);
        s.systemSpeed = index >= 0 && index <= 3 ? kSpeedByIndex[index] : 115200;
    }
    if (auto dir = ini.value("System", "HexDir"))
        s.hexDir = *dir;
    else if (auto old = ini.value("File", "HexDir"))
        s.hexDir = *old;
    s.portNumber = intOr(ini, "Comm", "Nom", 2);
    if (s.portNumber < 1) s.portNumber = 2;
    if (auto path = ini.value("Comm", "Path")) s.portPath = *path;
    s.hardwareFlow = intOr(ini, "Comm", "Flow", 1) != 0;
    s.logTimes = intOr(ini, "System", "ProtTime", 0) != 0;
    const system::NodeRange range =
        system::nodeRangeOrWhole(intOr(ini, "System", "ScanFirst", 1), intOr(ini, "System", "ScanLast", 0xFF));
    s.scanFirst = range.first;
    s.scanLast = range.last;
    if (auto file = ini.value("System", "SymbolFile")) s.symbolFile = *file;
    return s;
}

void writeSettings(IniFile& ini, const AppSettings& s) {
    ini.set("Comm", "Nom", std::to_string(s.portNumber));
    ini.set("Comm", "Path", s.portPath);
    ini.set("Comm", "Flow", s.hardwareFlow ? "1" : "0");
    ini.set("Form", "Width", std::to_string(s.width));
    ini.set("Form", "Height", std::to_string(s.height));
    ini.set("Form", "Top", std::to_string(s.top));
    ini.set("Form", "Left", std::to_string(s.left));
    ini.set("System", "HexDir", s.hexDir);
    ini.set("System", "AutoSkan", s.autoScan ? "1" : "0");
    ini.set("System", "Prot", s.protocol ? "1" : "0");
    ini.set("System", "sysSpeedModbus", std::to_string(s.systemSpeed));
    ini.set("System", "startAdrFlash", std::to_string(s.startAdrFlash));
    ini.set("System", "ProtTime", s.logTimes ? "1" : "0");
    ini.set("System", "ScanFirst", std::to_string(s.scanFirst));
    ini.set("System", "ScanLast", std::to_string(s.scanLast));
    ini.set("System", "SymbolFile", s.symbolFile);
}

}  // namespace velmora::app
