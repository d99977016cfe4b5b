#pragma once
// The erase dialog's rules, apart from its widgets: what the fields start with, which
// typed characters they take, and whether the dialog may close.

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::firmware {

// Erase start and end, kept for the whole run (0 at start).
struct EraseFields {
    uint32_t start = 0;
    uint32_t end = 0;
};

// On each showing: the end, then the start, are clamped into bottom..0xFFFF.
EraseFields clampForShowing(EraseFields f, uint16_t bottom);

// A typed character after it was made upper case: backspace (8), 7, 0-9 and A-F pass.
bool eraseFieldAccepts(char32_t upper);

enum class CloseVerdict { Close, StayOpen };
// Reads both fields (hex) into `stored`. An unreadable field keeps the dialog open even
// when cancelling; a confirmed wrong range keeps it open too. Either clears `confirmed`.
CloseVerdict eraseDialogCloses(const std::string& startText, const std::string& endText,
                               uint16_t bottom, bool& confirmed, EraseFields& stored);

}  // namespace velmora::firmware
