#include "cli/DecodeCommand.h"

#include "link/FrameDecode.h"

namespace velmora::cli {

int runDecode(const std::vector<std::string>& words, std::FILE* out, std::FILE* err) {
    bool crcHighFirst = false;
    std::string text;
    for (const std::string& w : words) {
        if (w == "--crc-hi")
            crcHighFirst = true;
        else
            text += w + " ";
    }
    std::string error;
    const auto bytes = link::parseFrameText(text, error);
    if (!bytes) {
        std::fprintf(err, "velmora-cli: %s\n", error.c_str());
        return 2;
    }
    const link::FrameDecodeResult decoded = link::decodeFrame(*bytes, crcHighFirst);
    if (!decoded.frame) {
        std::fprintf(err, "velmora-cli: not a frame: %s\n", decoded.problem.c_str());
        return 2;
    }
    for (const std::string& line : link::frameFieldLines(*decoded.frame))
        std::fprintf(out, "%s\n", line.c_str());
    return decoded.frame->crcOk ? 0 : 1;
}

}  // namespace velmora::cli
