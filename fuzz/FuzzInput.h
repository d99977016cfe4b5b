#pragma once
// Reads a fuzz input front to back; past its end every read yields zero, so a short
// input is still a complete (if dull) case rather than a rejected one.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t word() {
        uint16_t low = byte();
        return static_cast<uint16_t>(low | byte() << 8);
    }
    // Up to `count` bytes, fewer when the input runs out.
    std::vector<uint8_t> bytes(size_t count) {
        size_t n = count < left() ? count : left();
        std::vector<uint8_t> out(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return out;
    }
    size_t left() const { return size_ - pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace velmora::fuzz
