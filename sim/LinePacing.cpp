#include "sim/LinePacing.h"

#include <algorithm>

namespace velmora::sim {

std::chrono::nanoseconds byteDueTime(size_t index, uint32_t baud) {
    if (baud == 0) return std::chrono::nanoseconds{0};
    // Whole bits times 1e9 stay far below 2^64 for any reply this line carries
    // (about 1.8e9 bytes), so the division is the only rounding.
    const uint64_t bits = (static_cast<uint64_t>(index) + 1) * kBitsPerByte;
    const uint64_t ns = (bits * 1'000'000'000ull + baud - 1) / baud;
    return std::chrono::nanoseconds{static_cast<int64_t>(ns)};
}

std::chrono::nanoseconds lineTime(size_t bytes, uint32_t baud) {
    return bytes == 0 ? std::chrono::nanoseconds{0} : byteDueTime(bytes - 1, baud);
}

std::vector<PacedPiece> pacedPieces(size_t bytes, uint32_t baud) {
    std::vector<PacedPiece> pieces;
    if (bytes == 0) return pieces;
    if (baud == 0) {
        pieces.push_back({0, bytes, std::chrono::nanoseconds{0}});
        return pieces;
    }
    for (size_t offset = 0; offset < bytes; offset += kAdapterPiece) {
        const size_t size = std::min(kAdapterPiece, bytes - offset);
        pieces.push_back({offset, size, byteDueTime(offset + size - 1, baud)});
    }
    return pieces;
}

}  // namespace velmora::sim
