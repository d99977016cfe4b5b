#include "link/HeaderEcho.h"

#include "link/FrameLayout.h"

namespace velmora::link {

namespace {
constexpr uint8_t kReadI2c = 0x7A;
constexpr uint8_t kWriteI2c = 0x7B;
}  // namespace

bool HeaderEcho::applies(uint8_t command) {
    const CommandLayout* c = commandLayout(command);
    return c && c->shape != FrameShape::Ident && c->shape != FrameShape::Init;
}

bool HeaderEcho::echoes(const uint8_t* request, const uint8_t* reply) {
    return reply[2] == request[2] && reply[3] == request[3] && reply[4] == request[4];
}

uint32_t HeaderEcho::key(const uint8_t* request) {
    // Behind a node, each i2c module is learnt on its own: the slave address is byte 2.
    const bool i2c = request[1] == kReadI2c || request[1] == kWriteI2c;
    return (uint32_t{request[0]} << 16) | (uint32_t{request[1]} << 8) | (i2c ? request[2] : 0u);
}

bool HeaderEcho::demanded(const uint8_t* request) const {
    if (!applies(request[1])) return false;
    auto it = records_.find(key(request));
    if (it == records_.end()) return false;
    const Record& r = it->second;
    return !r.unreliable && r.echoed > r.missed * kEchoesPerMiss;
}

void HeaderEcho::learn(const uint8_t* request, const uint8_t* reply) {
    if (!applies(request[1])) return;
    Record& r = records_[key(request)];
    if (echoes(request, reply)) {
        if (r.echoed < 0xFFFFFF) ++r.echoed;
        r.refusals = 0;
    } else {
        ++r.missed;
    }
}

void HeaderEcho::refused(const uint8_t* request) {
    Record& r = records_[key(request)];
    if (++r.refusals >= kRefusalsToGiveUp) r.unreliable = true;
}

}  // namespace velmora::link
