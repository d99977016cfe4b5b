#include "access/PageGuard.h"

#include "access/MemoryMap.h"

namespace velmora::access {

PageGuard::PageGuard(ModuleLink& link, const PageSteps& steps) : link_(link), steps_(steps) {
    if (!link_.throughNode()) return;
    failure_ = link_.read(kRegPage, 1, steps_.save);
    if (failure_ == 0) saved_ = link_.reply()[0];
}

uint16_t PageGuard::select(uint8_t page) {
    if (!link_.throughNode()) return 0;
    return link_.write(kRegPage, {page}, steps_.select);
}

uint16_t PageGuard::putBack() {
    if (!saved_ || putBack_) return 0;
    putBack_ = true;
    return link_.write(kRegPage, {*saved_}, steps_.putBack);
}

}  // namespace velmora::access
