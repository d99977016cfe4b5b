#pragma once
// A serial driver's settings as a test plays them: whether the device has any, whether
// it takes a change, and the flags it holds.

#include <vector>

#include "link/LowLatency.h"

namespace velmora::testing {

struct FakeSerialDriver : link::SerialSettingsIo {
    bool hasSettings = true;
    bool takesChanges = true;
    int flags = 0;
    std::vector<int> written;  // the flags of every change taken

    bool read(int, serial_struct& s) override {
        if (!hasSettings) return false;
        s = serial_struct{};
        s.flags = flags;
        return true;
    }
    bool write(int, const serial_struct& s) override {
        if (!takesChanges) return false;
        flags = s.flags;
        written.push_back(s.flags);
        return true;
    }
};

}  // namespace velmora::testing
