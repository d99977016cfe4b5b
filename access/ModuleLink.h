#pragma once
// The transactions a module access is made of, addressed to one module: its node's own
// commands, and the i2c module's registers through the node. The caller holds the link
// (TransactionEngine::hold) for the whole of an operation.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "access/Attempts.h"
#include "access/ModuleAddress.h"
#include "link/FrameLayout.h"
#include "link/TransactionEngine.h"

namespace velmora::access {

class ModuleLink {
public:
    ModuleLink(link::TransactionEngine& engine, const ModuleAddress& address)
        : engine_(engine), address_(address) {}

    // rdI2C of `count` registers from `reg`; the bytes are in reply(). 0 or the result of
    // the last try.
    uint16_t read(uint8_t reg, uint16_t count, Tries tries);
    // wrI2C of `bytes` from `reg` on.
    uint16_t write(uint8_t reg, std::span<const uint8_t> bytes, Tries tries);
    uint16_t write(uint8_t reg, std::initializer_list<uint8_t> bytes, Tries tries) {
        return write(reg, std::span<const uint8_t>(bytes.begin(), bytes.size()), tries);
    }
    // One of the node's own commands: a read of `count` bytes (none for initMod) ...
    uint16_t nodeRead(uint8_t kind, uint16_t address, uint16_t count, uint8_t attempts);
    // ... or a write of `bytes`.
    uint16_t nodeWrite(uint8_t kind, uint16_t address, std::span<const uint8_t> bytes,
                       uint8_t attempts);
    uint16_t nodeWrite(uint8_t kind, uint16_t address, std::initializer_list<uint8_t> bytes,
                       uint8_t attempts) {
        return nodeWrite(kind, address, std::span<const uint8_t>(bytes.begin(), bytes.size()),
                         attempts);
    }

    // The data of the last read; they mean something only when it succeeded.
    const uint8_t* reply() const { return reply_.data(); }
    // The result of the last transaction that was not refused for the link's sake (busy,
    // port lost): what the status panel shows the words of.
    uint16_t lastResult() const { return lastResult_; }
    void pause(uint32_t ms) { engine_.pause(ms); }
    link::TransactionEngine& engine() { return engine_; }
    const ModuleAddress& address() const { return address_; }
    bool throughNode() const { return address_.level == 2; }

private:
    uint16_t transact(uint8_t kind, uint16_t address, uint16_t count, uint8_t attempts,
                      std::span<const uint8_t> write);

    link::TransactionEngine& engine_;
    ModuleAddress address_;
    std::array<uint8_t, link::kFrameMax> reply_{};
    uint16_t lastResult_ = 0;
};

}  // namespace velmora::access
