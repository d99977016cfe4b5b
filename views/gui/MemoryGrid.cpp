#include "views/gui/MemoryGrid.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

#include "common/HexText.h"
#include "common/gui/Fonts.h"

namespace velmora::views {

namespace {
constexpr int kCells = 17;
constexpr int kAddressWidth = 64;
constexpr int kCellWidth = 24;
constexpr int kCellHeight = 18;
constexpr QSize kNaturalPage{kAddressWidth + (kCells - 1) * kCellWidth, kCells * kCellHeight};

// `count` sections sharing `length` as evenly as whole pixels allow.
int shareOf(int length, int count, int index) {
    return length / count + (index < length % count ? 1 : 0);
}
}  // namespace

MemoryGrid::MemoryGrid(const QString& name, int addressDigits, QWidget* parent)
    : QTableWidget(parent), addressDigits_(addressDigits) {
    setObjectName(name);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setFont(gui::namedFont("Courier New", 9, true));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A page that does not fit scrolls; none of it is ever out of reach.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setShowGrid(false);
    // Tab leaves the grid; it does not walk the cells.
    setTabKeyNavigation(false);
    // Default sizes first, then the one wide column: one layout pass instead of 34.
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(kCellWidth);
    verticalHeader()->setDefaultSectionSize(kCellHeight);
    // The cells come after the sizes: made before, each would be laid out by the
    // header's own default first.
    setRowCount(kCells);
    setColumnCount(kCells);
    setColumnWidth(0, kAddressWidth);
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
    writeColumnHeaders();
}

QSize MemoryGrid::sizeHint() const {
    return kNaturalPage + QSize(2 * frameWidth(), 2 * frameWidth());
}

void MemoryGrid::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    fitCells();
}

void MemoryGrid::fitCells() {
    // The room the cells have once the scroll bars the page needs are taken off: one bar
    // can make the other needed.
    QSize room = maximumViewportSize();
    bool wide = false;
    bool tall = false;
    for (int pass = 0; pass < 2; ++pass) {
        if (!tall && room.height() < kNaturalPage.height()) {
            tall = true;
            room.rwidth() -= verticalScrollBar()->sizeHint().width();
        }
        if (!wide && room.width() < kNaturalPage.width()) {
            wide = true;
            room.rheight() -= horizontalScrollBar()->sizeHint().height();
        }
    }
    const int width = std::max(room.width(), kNaturalPage.width());
    const int height = std::max(room.height(), kNaturalPage.height());
    // The address column keeps its share of the width; the data columns split the rest.
    const int address = kAddressWidth * width / kNaturalPage.width();
    setColumnWidth(0, address);
    for (int c = 1; c < kCells; ++c) setColumnWidth(c, shareOf(width - address, kCells - 1, c - 1));
    for (int r = 0; r < kCells; ++r) setRowHeight(r, shareOf(height, kCells, r));
}

void MemoryGrid::writeColumnHeaders() {
    setCellText(0, 0, "Адрес");
    for (int c = 1; c <= 16; ++c) setCellText(0, c, QString::fromStdString(hexNumber(c - 1, 2)));
}

void MemoryGrid::relabel() {
    writeColumnHeaders();
    setRowAddresses(rowBase_);
}

void MemoryGrid::setRowAddresses(uint32_t base) {
    rowBase_ = base;
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
