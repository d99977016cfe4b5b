#pragma once
// The two contents the save loop alternates between, for the settings file and for
// sysConfig.trm, shared by the loop and the test that kills it.

#include <string>

#include "app/AppSettings.h"
#include "system/CurrentModule.h"

namespace velmora::testing {

// Two windows' settings that differ in every key, and in the length of their lines, so
// that a file mixing the two cannot pass for either.
inline app::AppSettings saveLoopSettings(int phase) {
    app::AppSettings s;
    s.width = phase == 0 ? 500 : 1280;
    s.height = phase == 0 ? 570 : 1024;
    s.left = phase == 0 ? 100 : 7;
    s.top = phase == 0 ? 100 : 3;
    s.startAdrFlash = phase == 0 ? 0x2000 : 0x4000;
    s.autoScan = phase == 0;
    s.protocol = phase != 0;
    s.systemSpeed = phase == 0 ? 115200 : 9600;
    s.hexDir = phase == 0 ? "/home/service/hex" : "/srv/firmware/releases/2026/line-3/modules";
    s.portNumber = phase == 0 ? 1 : 4;
    s.portPath = phase == 0 ? "" : "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    return s;
}

// The user's own lines in the settings file, which every save keeps: about 450 KiB, so
// that writing the file is far from one step, in few long lines, so that reading them
// back costs little beside the writing.
inline std::string saveLoopUserLines() {
    std::string text = "[Notes]\r\n";
    for (int i = 0; i < 160; ++i) {
        text += "Bench" + std::to_string(i) + "=";
        for (int j = 0; j < 100; ++j)
            text += "module " + std::to_string((i + j) % 32) + " checked, copy kept;";
        text += "\r\n";
    }
    return text;
}

// The largest table (32 nodes of 32 modules) and a small one.
inline system::SystemTableRows saveLoopRows(int phase) {
    system::SystemTableRows rows{};
    const size_t nodes = phase == 0 ? system::kMaxNodes : 3;
    for (size_t k = 0; k < nodes; ++k) {
        rows[k].cid = static_cast<uint8_t>(phase == 0 ? 0x21 + k : 0x01 + 2 * k);
        rows[k].moduleCount = static_cast<uint8_t>(phase == 0 ? system::kMaxModules : k + 1);
        for (size_t j = 0; j < rows[k].moduleCount; ++j)
            rows[k].modules[j] = static_cast<uint8_t>(phase == 0 ? 0x80 + 2 * j : 0x10 + 2 * j);
    }
    return rows;
}

}  // namespace velmora::testing
