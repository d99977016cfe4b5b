#include "tests/support/SimulatedLine.h"

#include "common/HexText.h"

namespace velmora::test {

std::vector<uint8_t> bytesOf(const std::string& hex) {
    return *parseHexByteList(hex);
}

std::string hexOf(const std::vector<uint8_t>& bytes) {
    std::string s = hexBytes(bytes.data(), bytes.size());
    if (!s.empty()) s.pop_back();
    return s;
}

}  // namespace velmora::test
