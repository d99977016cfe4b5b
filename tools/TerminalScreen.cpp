#include "tools/TerminalScreen.h"

#include <algorithm>
#include <cstring>

namespace velmora::tools {

namespace {
constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kDefaultFg = kWhite;
constexpr uint8_t kDefaultBg = kBlack;
}  // namespace

TerminalScreen::TerminalScreen() {
    markAll();
}

void TerminalScreen::feed(const char* text) {
    feed(reinterpret_cast<const uint8_t*>(text), std::strlen(text));
}

void TerminalScreen::feed(const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (state_ == Parse::Text)
            text(data[i]);
        else
            escape(data[i]);
    }
}

bool TerminalScreen::anyBlinking() const {
    return std::any_of(cells_.begin(), cells_.end(), [](const Cell& c) { return c.blink; });
}

uint32_t TerminalScreen::takeDirtyRows() {
    const uint32_t d = dirty_;
    dirty_ = 0;
    return d;
}

void TerminalScreen::text(uint8_t byte) {
    if (byte >= 0x20) {  // the common case: drawn, with nothing else to decide
        draw(byte);
        return;
    }
    const int oldRow = row_;
    switch (byte) {
        case kEsc:
            state_ = Parse::Escape;
            count_ = 0;
            overflow_ = false;
            parameters_.fill(0);
            return;
        case 0x07:
            ++bells_;
            return;
        case 0x08:
            column_ = std::max(0, column_ - 1);
            break;
        case 0x0A:
            return;  // a line feed alone never moves the cursor
        case 0x0D:
            column_ = 0;
            moveDown(1);
            break;
        default:
            draw(byte);
            break;
    }
    markRow(oldRow);
    markRow(row_);
}

void TerminalScreen::draw(uint8_t byte) {
    Cell& c = cells_[index(column_, row_)];
    c.ch = byte;
    c.fg = fg_;
    c.bg = bg_;
    c.blink = blink_;
    markRow(row_);
    moveRight(1);
}

void TerminalScreen::moveRight(int n) {
    // Past the last column the cursor continues at the start of the next rows.
    const int to = column_ + n;
    column_ = to % kColumns;
    if (to >= kColumns) moveDown(to / kColumns);
}

void TerminalScreen::moveDown(int n) {
    const int to = row_ + n;
    if (to < kRows) {
        row_ = to;
        return;
    }
    scrollUp(to - (kRows - 1));
    row_ = kRows - 1;
}

void TerminalScreen::scrollUp(int n) {
    n = std::min(n, kRows);
    top_ = (top_ + n) % kRows;
    for (int r = kRows - n; r < kRows; ++r) blankRow(r, 0, kColumns);
    markAll();
}

void TerminalScreen::scrollDown(int n) {
    n = std::min(n, kRows);
    top_ = (top_ + kRows - n) % kRows;
    for (int r = 0; r < n; ++r) blankRow(r, 0, kColumns);
    markAll();
}

void TerminalScreen::blankRow(int row, int fromColumn, int toColumn) {
    const size_t start = index(0, row);
    std::fill(cells_.begin() + static_cast<long>(start + fromColumn),
              cells_.begin() + static_cast<long>(start + toColumn), Cell{});
}

void TerminalScreen::escape(uint8_t byte) {
    if (state_ == Parse::Escape) {
        state_ = Parse::Parameters;
        if (byte == '[') return;
    }
    if (byte >= '0' && byte <= '9') {
        if (count_ == 0) count_ = 1;
        if (overflow_) return;
        int& p = parameters_[count_ - 1];
        p = std::min(kMaxParameterValue, p * 10 + (byte - '0'));
        return;
    }
    if (byte == ';') {
        if (count_ == 0) count_ = 1;  // ";5" is an empty first parameter, then 5
        if (count_ < kMaxParameters)
            ++count_;
        else
            overflow_ = true;  // excess parameters are dropped
        return;
    }
    state_ = Parse::Text;
    finish(byte);
}

void TerminalScreen::finish(uint8_t final) {
    const int oldRow = row_;
    const int n = parameter(0);
    const int n1 = std::max(1, n);
    const size_t at = index(column_, row_);
    const size_t rowEnd = index(0, row_) + kColumns;
    switch (final) {
        case '@': {
            const size_t moved = std::min<size_t>(n1, rowEnd - at);
            std::move_backward(cells_.begin() + static_cast<long>(at),
                               cells_.begin() + static_cast<long>(rowEnd - moved),
                               cells_.begin() + static_cast<long>(rowEnd));
            blankRow(row_, column_, column_ + static_cast<int>(moved));
            break;
        }
        case 'A':
            row_ = std::max(0, row_ - n1);
            break;
        case 'B':
            moveDown(n1);
            break;
        case 'C':
            moveRight(n1);
            break;
        case 'D':
            column_ = std::max(0, column_ - n1);
            break;
        case 'H':
            row_ = std::clamp(std::max(1, parameter(0)), 1, kRows) - 1;
            column_ = std::clamp(std::max(1, parameter(1)), 1, kColumns) - 1;
            break;
        case 'J':
            if (n == 0 || n == 2) {
                blankRow(row_, n == 0 ? column_ : 0, kColumns);
                for (int r = row_ + 1; r < kRows; ++r) blankRow(r, 0, kColumns);
            }
            if (n == 1 || n == 2) {
                for (int r = 0; r < row_; ++r) blankRow(r, 0, kColumns);
                blankRow(row_, 0, n == 1 ? column_ + 1 : kColumns);
            }
            markAll();
            break;
        case 'K':
            if (n == 0) blankRow(row_, column_, kColumns);
            if (n == 1) blankRow(row_, 0, column_ + 1);
            if (n == 2) blankRow(row_, 0, kColumns);
            break;
        case 'L':
            scrollDown(n1);
            break;
        case 'P': {
            const size_t removed = std::min<size_t>(n1, rowEnd - at);
            std::move(cells_.begin() + static_cast<long>(at + removed),
                      cells_.begin() + static_cast<long>(rowEnd),
                      cells_.begin() + static_cast<long>(at));
            blankRow(row_, kColumns - static_cast<int>(removed), kColumns);
            break;
        }
        case 'm':
            setAttributes();
            break;
        default:
            break;  // any other final: the sequence is dropped
    }
    markRow(oldRow);
    markRow(row_);
}

void TerminalScreen::resetAttributes() {
    fg_ = kDefaultFg;
    bg_ = kDefaultBg;
    bright_ = false;
    blink_ = false;
}

void TerminalScreen::setAttributes() {
    if (count_ == 0) {
        resetAttributes();
        return;
    }
    for (size_t i = 0; i < count_; ++i) {
        const int p = parameters_[i];
        const int units = p % 10;
        const int tens = (p / 10) % 10;
        if (p == 0 || p == 10) {
            resetAttributes();
        } else if (p == 1) {
            bright_ = true;
        } else if (p == 5) {
            blink_ = true;
        } else if (p == 7) {
            fg_ = kDefaultBg;
            bg_ = kDefaultFg;
        } else if (units == 8 || units == 9) {
            resetAttributes();
        } else if (tens == 4) {
            bg_ = static_cast<uint8_t>(units);
        } else {
            fg_ = static_cast<uint8_t>(units + (bright_ ? 8 : 0));
        }
    }
}

}  // namespace velmora::tools
