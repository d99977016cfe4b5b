#pragma once
// The free terminal's screen: an 80 x 24 grid of character cells with a cursor, fed the
// bytes that arrive on the line. Control bytes and ANSI escape sequences (cursor moves,
// erasing, scrolling, colours) are applied as they come, in any chunks: a sequence split
// at every byte gives the same screen. Parameters are kept in fixed storage (excess ones
// dropped, huge numbers clamped), so no input can allocate or reach outside the grid.
// The model draws nothing; the widget repaints the rows it reports dirty.

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora::tools {

// The standard 16-colour palette: black, maroon, green, olive, navy, purple, teal,
// silver, grey, red, lime, yellow, blue, fuchsia, aqua, white.
enum PaletteIndex : uint8_t { kBlack = 0, kMaroon = 1, kSilver = 7, kRed = 9, kWhite = 15 };

struct Cell {
    uint8_t ch = ' ';  // the byte as received; the widget shows it in Windows-1251
    uint8_t fg = kWhite;
    uint8_t bg = kBlack;
    bool blink = false;
    bool operator==(const Cell&) const = default;
};

class TerminalScreen {
public:
    static constexpr int kColumns = 80;
    static constexpr int kRows = 24;
    static constexpr size_t kMaxParameters = 16;
    static constexpr int kMaxParameterValue = 9999;

    TerminalScreen();

    void feed(const uint8_t* data, size_t count);
    void feed(const char* text);

    const Cell& cell(int column, int row) const { return cells_[index(column, row)]; }
    int cursorColumn() const { return column_; }
    int cursorRow() const { return row_; }
    // Bells heard so far (the widget beeps for each new one).
    unsigned bells() const { return bells_; }
    bool anyBlinking() const;

    // Rows changed since the last call, one bit a row; the cursor's old and new rows
    // count as changed when it moved.
    uint32_t takeDirtyRows();

private:
    enum class Parse { Text, Escape, Parameters };

    // Rows live in a ring, so scrolling moves no cells: `top_` is the stored row shown
    // first.
    size_t index(int column, int row) const {
        int stored = top_ + row;
        if (stored >= kRows) stored -= kRows;
        return static_cast<size_t>(stored) * kColumns + static_cast<size_t>(column);
    }
    void blankRow(int row, int fromColumn, int toColumn);  // columns [from, to)
    void text(uint8_t byte);
    void escape(uint8_t byte);
    void finish(uint8_t final);
    void draw(uint8_t byte);
    void newLine();
    void moveRight(int n);
    void moveDown(int n);
    void scrollUp(int n);
    void scrollDown(int n);
    void setAttributes();
    void resetAttributes();
    int parameter(size_t i) const { return i < count_ ? parameters_[i] : 0; }
    void markRow(int row) { dirty_ |= 1u << row; }
    void markAll() { dirty_ = (1u << kRows) - 1; }

    std::array<Cell, static_cast<size_t>(kColumns) * kRows> cells_;
    int top_ = 0;
    int column_ = 0;
    int row_ = 0;
    uint8_t fg_ = kWhite;
    uint8_t bg_ = kBlack;
    bool bright_ = false;
    bool blink_ = false;
    Parse state_ = Parse::Text;
    std::array<int, kMaxParameters> parameters_{};
    size_t count_ = 0;  // parameters begun, at most kMaxParameters
    bool overflow_ = false;
    unsigned bells_ = 0;
    uint32_t dirty_ = 0;
};

}  // namespace velmora::tools
