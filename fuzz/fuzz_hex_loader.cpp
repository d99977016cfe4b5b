// Intel HEX files from anywhere. Input: two bytes of Flash shift, then the file's text.
// A rejected file must leave the images exactly as they were; an accepted one may
// change only bytes inside the images, and must be accepted again when read twice.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "firmware/HexLoader.h"

using namespace velmora::firmware;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_hex_loader: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint16_t shift = static_cast<uint16_t>(data[0] | (data[1] << 8));
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    auto images = std::make_unique<FirmwareImages>();
    images->FlashImage[0x1234] = 0x5A;  // something a rejected load must keep
    images->EepromImage[0x12] = 0xFF77;
    const auto before = std::make_unique<FirmwareImages>(*images);
    HexListing listing;
    const HexLoadResult r = loadHexText(text, shift, *images, &listing);
    if (!r.ok()) {
        if (images->FlashImage != before->FlashImage || images->EepromImage != before->EepromImage)
            fault("a rejected file changed the images");
        if (r.problem != HexProblem::NoLines && r.line == 0) fault("a problem without its line");
        if (hexProblemMessage(r).empty()) fault("a problem without a message");
        return 0;
    }
    for (uint16_t cell : images->EepromImage)
        if ((cell >> 8) != 0 && (cell >> 8) != 0xFF) fault("an EEPROM cell neither given nor not");
    auto again = std::make_unique<FirmwareImages>();
    if (!loadHexText(text, shift, *again).ok()) fault("accepted once, rejected the second time");
    if (again->FlashImage != images->FlashImage || again->EepromImage != images->EepromImage)
        fault("the same file read twice gave other images");
    return 0;
}
