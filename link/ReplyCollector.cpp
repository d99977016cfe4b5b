#include "link/ReplyCollector.h"

#include <algorithm>

#include "link/Crc16.h"
#include "link/FrameLayout.h"

namespace velmora::link {

namespace {
constexpr size_t kStraysKept = kFrameMax;
}  // namespace

void ReplyCollector::begin(const ReplyExpectation& expectation) {
    expect_ = expectation;
    state_.RxCount = 0;
    strays_.clear();
    strayCount_ = 0;
}

size_t ReplyCollector::stored() const {
    return std::min<size_t>(state_.RxCount, state_.RxBuf.size());
}

bool ReplyCollector::canStart(uint8_t byte) const {
    return byte == expect_.node;
}

bool ReplyCollector::canFollowStart(uint8_t byte) const {
    return byte == expect_.command || (byte & 0x80) != 0;
}

void ReplyCollector::feed(const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = data[i];
        if (expect_.matchHeader && state_.RxCount == 0 && !canStart(b)) {
            setAside(b);
            continue;
        }
        if (expect_.matchHeader && state_.RxCount == 1 && !canFollowStart(b)) {
            // The byte taken for the start was somebody else's; this one may still be.
            setAside(state_.RxBuf[0]);
            state_.RxCount = 0;
            if (canStart(b))
                accept(b);
            else
                setAside(b);
            continue;
        }
        accept(b);
    }
}

void ReplyCollector::rejectReply() {
    for (size_t i = 0; i < stored(); ++i) setAside(state_.RxBuf[i]);
    state_.RxCount = 0;
}

void ReplyCollector::accept(uint8_t byte) {
    // Bytes past RxBuf are counted, never stored: the count then passes the expected
    // length and the reply can no longer complete.
    if (state_.RxCount < state_.RxBuf.size()) state_.RxBuf[state_.RxCount] = byte;
    if (state_.RxCount < 0xFFFF) ++state_.RxCount;
}

void ReplyCollector::setAside(uint8_t byte) {
    if (strays_.size() < kStraysKept) strays_.push_back(byte);
    ++strayCount_;
}

ReplyVerdict ReplyCollector::verdict() const {
    const size_t n = state_.RxCount;
    const uint8_t* rx = state_.RxBuf.data();
    if (n == kErrorReplyLength && (rx[1] & 0x80) && expect_.length != kErrorReplyLength)
        return frameCrcOk(rx, n) ? ReplyVerdict::ErrorReply : ReplyVerdict::BadCrc;
    if (expect_.length == 0 || n != expect_.length) return ReplyVerdict::Incomplete;
    // Bit 7 set let the reply start as an error reply; at any other length it is a frame
    // of somebody else's.
    if (expect_.matchHeader && rx[1] != expect_.command) return ReplyVerdict::Incomplete;
    // A reply longer than RxBuf was never whole in it, and a reply under three bytes
    // has nothing for a CRC to cover: neither can be trusted.
    if (n > state_.RxBuf.size() || !frameCrcOk(rx, n)) return ReplyVerdict::BadCrc;
    return ReplyVerdict::Complete;
}

}  // namespace velmora::link
