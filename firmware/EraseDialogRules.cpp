#include "firmware/EraseDialogRules.h"

#include <algorithm>

#include "common/NumberText.h"
#include "firmware/FlashEraser.h"

namespace velmora::firmware {

EraseFields clampForShowing(EraseFields f, uint16_t bottom) {
    f.end = std::clamp<uint32_t>(f.end, bottom, 0xFFFF);
    f.start = std::clamp<uint32_t>(f.start, bottom, 0xFFFF);
    return f;
}

bool eraseFieldAccepts(char32_t c) {
    return c == 7 || c == 8 || (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'F');
}

CloseVerdict eraseDialogCloses(const std::string& startText, const std::string& endText,
                               uint16_t bottom, bool& confirmed, EraseFields& stored) {
    auto start = parseHex(startText, 0xFFFF);
    auto end = parseHex(endText, 0xFFFF);
    if (!start || !end) {
        confirmed = false;
        return CloseVerdict::StayOpen;
    }
    stored = {*start, *end};
    if (confirmed && !eraseRangeAllowed({*start, *end}, bottom)) {
        confirmed = false;
        return CloseVerdict::StayOpen;
    }
    return CloseVerdict::Close;
}

}  // namespace velmora::firmware
