// Bytes from the line into the free terminal's screen. The input is fed whole into one
// screen and in pieces (sizes taken from the input itself) into another: both must end
// the same, cell for cell, and the cursor must stay on the grid.

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "tools/TerminalScreen.h"

using velmora::tools::TerminalScreen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto whole = std::make_unique<TerminalScreen>();
    auto pieces = std::make_unique<TerminalScreen>();
    whole->feed(data, size);
    size_t at = 0;
    size_t step = size ? (data[0] % 7) + 1 : 1;
    while (at < size) {
        const size_t n = std::min(step, size - at);
        pieces->feed(data + at, n);
        at += n;
        step = (step * 5 + 3) % 11 + 1;
    }
    for (int r = 0; r < TerminalScreen::kRows; ++r)
        for (int c = 0; c < TerminalScreen::kColumns; ++c) {
            const auto& cell = whole->cell(c, r);
            if (!(cell == pieces->cell(c, r))) {
                std::fprintf(stderr, "fuzz_terminal_screen: pieces differ at %d,%d\n", c, r);
                std::abort();
            }
            if (cell.fg > 15 || cell.bg > 15) {
                std::fprintf(stderr, "fuzz_terminal_screen: colour outside the palette\n");
                std::abort();
            }
        }
    if (whole->cursorColumn() != pieces->cursorColumn() || whole->cursorRow() != pieces->cursorRow() ||
        whole->cursorColumn() < 0 || whole->cursorColumn() >= TerminalScreen::kColumns ||
        whole->cursorRow() < 0 || whole->cursorRow() >= TerminalScreen::kRows) {
        std::fprintf(stderr, "fuzz_terminal_screen: cursor off the grid or differing\n");
        std::abort();
    }
    return 0;
}
