#include "console/ConsoleFrame.h"

#include "link/Crc16.h"

namespace velmora::console {

std::vector<uint8_t> withCrc(const std::vector<uint8_t>& bytes, CrcOrder order) {
    std::vector<uint8_t> frame(bytes);
    frame.resize(bytes.size() + 2);
    link::appendCrc(frame.data(), bytes.size(), order == CrcOrder::HighFirst);
    return frame;
}

bool replyCrcOk(const uint8_t* reply, size_t length, CrcOrder order) {
    return link::frameCrcOk(reply, length, order == CrcOrder::HighFirst);
}

}  // namespace velmora::console
