#pragma once
// REG_PAGE kept for the i2c module's own use while a read or write moves it: read once
// when the guard is made, and put back when the guard goes, on every path, once it was
// read. The module's code uses the window too; a page left moved would have it read and
// write the wrong RAM. At a node there is no window: the guard sends nothing.

#include <cstdint>
#include <optional>

#include "access/Attempts.h"
#include "access/ModuleLink.h"

namespace velmora::access {

class PageGuard {
public:
    PageGuard(ModuleLink& link, const PageSteps& steps);
    ~PageGuard() { putBack(); }
    PageGuard(const PageGuard&) = delete;
    PageGuard& operator=(const PageGuard&) = delete;

    // Whether REG_PAGE was read (at a node: always).
    bool held() const { return !link_.throughNode() || saved_.has_value(); }
    // The failed read's result; 0 once it was read.
    uint16_t failure() const { return failure_; }
    // REG_PAGE as the module had it: what RAM 0x51 holds for the module's own code.
    std::optional<uint8_t> saved() const { return saved_; }

    // Moves the window to `page`.
    uint16_t select(uint8_t page);
    // 0 once REG_PAGE was read and moved to `page`; else the failed step's result.
    uint16_t moveTo(uint8_t page) { return held() ? select(page) : failure_; }
    // Writes the saved value back, once; 0 also when there was nothing to put back.
    uint16_t putBack();
    // A write of REG_PAGE itself: `value` is what is put back, or the put-back would undo
    // the write.
    void replace(uint8_t value) {
        if (saved_) saved_ = value;
    }

private:
    ModuleLink& link_;
    PageSteps steps_;
    std::optional<uint8_t> saved_;
    uint16_t failure_ = 0;
    bool putBack_ = false;
};

}  // namespace velmora::access
