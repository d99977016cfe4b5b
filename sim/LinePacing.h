#pragma once
// When each byte of a transmission has left a serial line, and how a USB adapter would
// hand those bytes over. Times count from the start of the transmission, so a reply
// paced against them takes its wire time however late the process wakes for a piece.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::sim {

// 8N1: a start bit, eight data bits and a stop bit.
inline constexpr unsigned kBitsPerByte = 10;
// A USB serial adapter delivers what it has received in pieces of up to this many bytes.
inline constexpr size_t kAdapterPiece = 16;

// Time after the start until byte `index` (counted from 0) has been sent completely,
// rounded up to a whole nanosecond. Zero when `baud` is 0 (no pacing).
std::chrono::nanoseconds byteDueTime(size_t index, uint32_t baud);

// Time `bytes` bytes take on the line; zero for none or when `baud` is 0.
std::chrono::nanoseconds lineTime(size_t bytes, uint32_t baud);

struct PacedPiece {
    size_t offset = 0;
    size_t size = 0;
    std::chrono::nanoseconds due{0};  // when its last byte has been sent, from the start
};

// The pieces a reply of `bytes` bytes reaches the terminal in. Unpaced (`baud` 0), the
// whole reply is one piece due at once.
std::vector<PacedPiece> pacedPieces(size_t bytes, uint32_t baud);

}  // namespace velmora::sim
