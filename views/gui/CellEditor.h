#pragma once
// The in-place editor of a byte (`edRAM`, `edEE`, `edSFR`): no border, lime, blue bold,
// two characters at most, hidden until opened over a cell.

#include <QLineEdit>
#include <functional>
#include <optional>

class QKeyEvent;

namespace velmora::views {

class MemoryGrid;

class CellEditor : public QLineEdit {
    Q_OBJECT
public:
    // `onEnter` runs on Enter; Escape hides the editor and then runs `onEscape`.
    CellEditor(const char* name, QWidget* parent, std::function<void()> onEnter,
               std::function<void()> onEscape = {});

    // Over the grid's cell (row, column): one pixel inside, one pixel larger than the cell.
    void openOver(MemoryGrid* grid, int row, int column, const QString& text);
    // Over a rectangle of the parent (the SFR list's value).
    void openAt(const QRect& rect, const QString& text);

    // A key pressed on a grid cell whose editor is closed: Enter opens it on the cell's
    // text (an empty string is returned), a hexadecimal digit opens it on that digit
    // (returned upper-cased); any other key, or one with Ctrl or Alt, opens nothing.
    static std::optional<QString> openingText(const QKeyEvent* key);
};

}  // namespace velmora::views
