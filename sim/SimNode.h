#pragma once
// A simulated node on the serial line and the i2c sub-modules behind it.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "sim/SimModule.h"

namespace velmora::sim {

class SimNode {
public:
    explicit SimNode(uint8_t address) : address_(address) {}

    uint8_t address() const { return address_; }
    SimModule& module() { return module_; }
    // Adds a sub-module at an i2c slave address (even, up to 32 of them).
    SimModule& addSubModule(uint8_t slave);
    SimModule* subModule(uint8_t slave);
    const std::map<uint8_t, SimModule>& subModules() const { return subs_; }

    // Carries out a complete request frame (CRC already checked) and returns the reply,
    // or nothing when the request expects none.
    std::optional<std::vector<uint8_t>> execute(const std::vector<uint8_t>& frame);

private:
    std::vector<uint8_t> errorReply(uint8_t code) const;
    std::vector<uint8_t> dataReply(const std::vector<uint8_t>& frame, const uint8_t* data,
                                   size_t count) const;
    std::vector<uint8_t> memoryRead(const std::vector<uint8_t>& f, const uint8_t* memory,
                                    size_t size);
    std::vector<uint8_t> memoryWrite(const std::vector<uint8_t>& f, uint8_t* memory, size_t size);
    std::vector<uint8_t> flashWrite(const std::vector<uint8_t>& f);
    std::vector<uint8_t> bitAccess(const std::vector<uint8_t>& f);
    std::vector<uint8_t> i2cAccess(const std::vector<uint8_t>& f);
    std::vector<uint8_t> identifier() const;

    uint8_t address_;
    SimModule module_;
    std::map<uint8_t, SimModule> subs_;
};

}  // namespace velmora::sim
