#include "views/gui/CellEditor.h"

#include <QKeyEvent>

#include "views/gui/HexKeyFilter.h"

#include "views/gui/MemoryGrid.h"
#include "views/gui/HexKeyFilter.h"

namespace velmora::views {

CellEditor::CellEditor(const char* name, QWidget* parent, std::function<void()> onEnter,
                       std::function<void()> onEscape)
    : QLineEdit(parent) {
    setObjectName(name);
    // Spoken as an edit of the cells it sits over.
    setAccessibleName("Новое значение: " + parent->accessibleName());
    setFrame(false);
    setMaxLength(2);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setStyleSheet("QLineEdit { background: lime; color: blue; }");
    hide();
    auto* keys = new HexKeyFilter(this, std::move(onEnter), [this, onEscape = std::move(onEscape)] {
        // The focus goes back first: hiding a focused child would pass it on to the
        // next control, and a grid takes that as a move to its next cell.
        parentWidget()->setFocus();
        hide();
        if (onEscape) onEscape();
    });
    keys->keepTab();
}

void CellEditor::openOver(MemoryGrid* grid, int row, int column, const QString& text) {
    QRect cell = grid->visualItemRect(grid->item(row, column));
    cell.translate(grid->viewport()->mapTo(parentWidget(), QPoint(0, 0)));
    openAt(cell.adjusted(1, 1, 2, 2), text);
}

void CellEditor::openAt(const QRect& rect, const QString& text) {
    setGeometry(rect);
    setText(text);
    show();
    raise();
    setFocus();
    selectAll();
}

std::optional<QString> CellEditor::openingText(const QKeyEvent* key) {
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return std::nullopt;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return QString();
    if (HexKeyFilter::isHexDigit(key->text())) return key->text().toUpper();
    return std::nullopt;
}

}  // namespace velmora::views
