#pragma once
// Collects one reply into the link buffers, byte by byte and in any chunks, and judges
// it: complete, an error reply, a CRC failure, or not yet whole.
//
// Replies are matched to the request they answer: while the reply has not started,
// bytes that cannot begin it (another node's address, another command's echo) are set
// aside as strays. A slow module's late answer to an earlier request is thus never
// taken for the answer to this one, unless it comes from the same node with the same
// command: nothing on the wire tells those apart.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/LinkState.h"

namespace velmora::link {

struct ReplyExpectation {
    size_t length = 0;         // reply length that completes the wait; 0: unknown
    bool matchHeader = false;  // set aside bytes that cannot start the reply
    uint8_t node = 0;          // byte 0 of the reply
    uint8_t command = 0;       // byte 1 of a normal reply; an error reply has bit 7 set
};

enum class ReplyVerdict {
    Incomplete,  // neither the expected length nor a 5-byte error reply
    Complete,    // the expected length with a good CRC
    ErrorReply,  // 5 bytes, byte 1 with bit 7 set, good CRC: byte 1 is the result
    BadCrc,      // the length that ends the wait, but the CRC fails or cannot be checked
};

class ReplyCollector {
public:
    explicit ReplyCollector(LinkState& state) : state_(state) {}

    // Forgets the previous reply: RxCount 0, no strays.
    void begin(const ReplyExpectation& expectation);
    void feed(const uint8_t* data, size_t count);

    // The verdict over what has arrived so far.
    ReplyVerdict verdict() const;

    // Bytes set aside as not belonging to this reply, in arrival order (at most a frame's
    // worth are kept), and how many there were in all.
    const std::vector<uint8_t>& strays() const { return strays_; }
    size_t strayCount() const { return strayCount_; }

    // Bytes of the reply held in RxBuf (RxCount may count more that found no room).
    size_t stored() const;

    // The reply collected so far answers some other request after all: it joins the
    // strays and collection starts over.
    void rejectReply();

private:
    void accept(uint8_t byte);
    void setAside(uint8_t byte);
    bool canStart(uint8_t byte) const;
    bool canFollowStart(uint8_t byte) const;

    LinkState& state_;
    ReplyExpectation expect_;
    std::vector<uint8_t> strays_;
    size_t strayCount_ = 0;
};

}  // namespace velmora::link
