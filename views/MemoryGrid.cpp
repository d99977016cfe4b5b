#include "views/MemoryGrid.h"

#include <QHeaderView>

#include "common/HexText.h"
#include "common/gui/Fonts.h"

namespace velmora::views {

MemoryGrid::MemoryGrid(const QString& name, int addressDigits, QWidget* parent)
    : QTableWidget(parent), addressDigits_(addressDigits) {
    setObjectName(name);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setFont(gui::namedFont("Courier New", 9, true));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setShowGrid(false);
    // Tab leaves the grid; it does not walk the cells.
    setTabKeyNavigation(false);
    // Default sizes first, then the one wide column: one layout pass instead of 34.
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(24);
    verticalHeader()->setDefaultSectionSize(18);
    // The cells come after the sizes: made before, each would be laid out by the
    // header's own default first.
    setRowCount(17);
    setColumnCount(17);
    setColumnWidth(0, 64);
    const QBrush fixed = palette().brush(QPalette::Button);
    for (int r = 0; r < 17; ++r) {
        for (int c = 0; c < 17; ++c) {
            auto* cell = new QTableWidgetItem();
            cell->setTextAlignment(Qt::AlignCenter);
            if (r == 0 || c == 0) {
                cell->setBackground(fixed);
                cell->setFlags(Qt::ItemIsEnabled);
            }
            setItem(r, c, cell);
        }
    }
    setCellText(0, 0, "Адрес");
    for (int c = 1; c <= 16; ++c) setCellText(0, c, QString::fromStdString(hexNumber(c - 1, 2)));
}

void MemoryGrid::setRowAddresses(uint32_t base) {
    for (int r = 1; r <= 16; ++r)
        setCellText(r, 0,
                    QString::fromStdString(hexNumber(
                        (base + 16 * static_cast<uint32_t>(r - 1)) & 0xFFFF, addressDigits_)));
}

QString MemoryGrid::cellText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void MemoryGrid::setCellText(int row, int column, const QString& text) {
    if (QTableWidgetItem* cell = item(row, column)) cell->setText(text);
}

}  // namespace velmora::views
