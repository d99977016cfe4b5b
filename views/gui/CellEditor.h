#pragma once
// The in-place editor of a byte (`edRAM`, `edEE`, `edSFR`): no border, lime, blue bold,
// two characters at most, hidden until opened over a cell.

#include <QLineEdit>
#include <functional>

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
};

}  // namespace velmora::views
