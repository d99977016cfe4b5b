#include "tests/support/SimulatedLine.h"

#include <gtest/gtest.h>

#include "common/HexText.h"
#include "link/Crc16.h"

namespace velmora::test {

std::vector<uint8_t> bytesOf(const std::string& hex) {
    return *parseHexByteList(hex);
}

std::string hexOf(const std::vector<uint8_t>& bytes) {
    std::string s = hexBytes(bytes.data(), bytes.size());
    if (!s.empty()) s.pop_back();
    return s;
}

std::vector<std::string> framesSent(const SimulatedLine& line) {
    std::vector<std::string> out;
    for (const auto& f : line.sent()) {
        EXPECT_TRUE(link::frameCrcOk(f.data(), f.size()));
        out.push_back(hexOf({f.begin(), f.end() - 2}));
    }
    return out;
}

}  // namespace velmora::test
