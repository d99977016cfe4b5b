#include "cli/ViewCommandWords.h"

#include "common/NumberText.h"

namespace velmora::cli {

std::optional<uint8_t> nodeWord(const std::string& word, std::string& error) {
    auto v = parseHex(word, 0xFF);
    if (!v || *v == 0) {
        error = "bad CID '" + word + "' (hex 01..FF)";
        return std::nullopt;
    }
    return static_cast<uint8_t>(*v);
}

}  // namespace velmora::cli
