#pragma once
// The framing facts of the line in one place: which command byte each operation kind
// sends, how long its request and its reply are, where the data start in them. The
// request builder, the reply collector, the engine and the frame decoder all read them
// here, so a frame is laid out one way whoever builds or reads it.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora::link {

inline constexpr size_t kFrameMax = 256;  // the longest frame either way (RxBuf, TxBuf)
inline constexpr size_t kCrcLength = 2;
// Node, the command with bit 7 set, the error byte's echo, the CRC.
inline constexpr size_t kErrorReplyLength = 5;
// Node, command, two address bytes (or slave and register), count: the data follow.
inline constexpr size_t kHeaderLength = 5;

enum class FrameShape {
    Read,      // header; the reply is the header, the data and the CRC
    Write,     // header, data; the reply is the header and the CRC
    Ident,     // node and command; the reply is node, command and the identifier block
    Init,      // node, command, 55 AA; the module restarts without a word
    BitRead,   // node, command, address, bit
    BitWrite,  // node, command, address, bit, value
};

struct CommandLayout {
    uint8_t command;
    std::string_view name;
    FrameShape shape;
};

// The command byte's layout; nothing for a byte no module knows (an error reply's,
// with bit 7 set, included).
const CommandLayout* commandLayout(uint8_t command);
// The command byte an operation kind sends; 0 for no kind.
uint8_t commandOfKind(uint8_t kind);

// Request length with `count` data bytes (writes carry them; the others ignore it).
size_t requestLength(FrameShape shape, size_t count);
// Length of the whole reply a request of `count` asks for; 0 when no reply comes or its
// length is not known from the request (the bit commands).
size_t replyLength(FrameShape shape, size_t count);
// Offset of the first data byte in a reply.
size_t replyDataOffset(FrameShape shape);

}  // namespace velmora::link
