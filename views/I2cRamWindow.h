#pragma once
// An i2c sub-module's RAM as its node reaches it: registers 0x00..0x7F are RAM
// 0x000..0x07F, registers 0x80..0xFF a 128-byte window onto the page `REG_PAGE` (RAM
// byte 0x51) selects. Whoever moves the window saves `REG_PAGE` first and puts it back
// afterwards, so the sub-module's own use of the window is left as it was found.

#include <cstdint>
#include <optional>

#include "link/TransactionEngine.h"

namespace velmora::views {

inline constexpr uint8_t kRegPage = 0x51;      // RAM byte (and register) holding REG_PAGE
inline constexpr uint8_t kWindowStart = 0x80;  // first register of the window

// The page REG_PAGE must hold for `address` to show in the window: 0 below 0x80.
constexpr uint8_t pageFor(uint16_t address) {
    return address < 0x80 ? 0 : static_cast<uint8_t>(address >> 7);
}

// The register that shows `address` once its page is selected.
constexpr uint8_t registerFor(uint16_t address) {
    return address < 0x80 ? static_cast<uint8_t>(address)
                          : static_cast<uint8_t>(kWindowStart + (address & 0x7F));
}

class I2cRamWindow {
public:
    I2cRamWindow(link::TransactionEngine& engine, uint8_t cid, uint8_t slave)
        : engine_(engine), cid_(cid), slave_(slave) {}

    // `getI2CPage`: REG_PAGE, asked up to `tries` times with one attempt each; nothing
    // when every try failed.
    std::optional<uint8_t> getI2CPage(int tries);
    // `setI2CPage`: selects the page of `address` (3 attempts a try, up to `tries` tries).
    bool setI2CPage(uint16_t address, int tries);
    // Puts a saved REG_PAGE value back.
    bool restorePage(uint8_t saved, int tries) {
        return setI2CPage(static_cast<uint16_t>(saved) * 0x80, tries);
    }

private:
    link::TransactionEngine& engine_;
    uint8_t cid_;
    uint8_t slave_;
};

}  // namespace velmora::views
