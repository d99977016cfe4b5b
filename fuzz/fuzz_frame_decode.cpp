// Frames taken apart for the decoder: raw bytes as a frame (with either CRC order), and
// the same input as typed text. A decoded frame's fields must account for the frame's
// bytes, and the text of a frame's bytes must parse back to them.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/HexText.h"
#include "link/FrameDecode.h"

using namespace velmora;

namespace {
[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_frame_decode: %s\n", what);
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool crcHigh = data[0] & 1;
    const std::vector<uint8_t> bytes(data + 1, data + size);
    const link::FrameDecodeResult r = link::decodeFrame(bytes, crcHigh);
    if (r.frame.has_value() == !r.problem.empty()) fault("a frame and a problem, or neither");
    if (r.frame) {
        const link::DecodedFrame& f = *r.frame;
        if (f.node != bytes[0]) fault("node is not byte 0");
        // Never more data than the frame holds between its header and its CRC.
        if (f.data.size() + 4 > bytes.size()) fault("more data than bytes");
        const auto lines = link::frameFieldLines(f);
        if (lines.size() < 3 || lines.back().rfind("crc ", 0) != 0) fault("no crc line last");
    }
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string error;
    const auto parsed = link::parseFrameText(text, error);
    const std::string_view logged = link::frameTextOfLogLine(text);
    if (logged.size() > text.size()) fault("a log line's frame longer than the line");
    if (!parsed && error.empty()) fault("refused without a reason");
    std::string shown = hexBytes(bytes.data(), bytes.size());
    const auto back = link::parseFrameText(shown, error);
    if (!back || *back != bytes) fault("shown bytes do not parse back");
    return 0;
}
