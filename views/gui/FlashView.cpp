#include "views/gui/FlashView.h"

#include <QApplication>
#include <QKeyEvent>

#include "common/HexText.h"
#include "views/GridMath.h"
#include "views/MemoryReads.h"
#include "views/gui/GridColours.h"
#include "views/gui/HexKeyFilter.h"

namespace velmora::views {

namespace {
QString hex(uint32_t v, int digits) {
    return QString::fromStdString(hexNumber(v, digits));
}
}  // namespace

FlashView::FlashView(ViewHost host, FlashTabWidgets& w) : host_(std::move(host)), w_(w) {
    connect(w_.sgFL, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { sgFLSelectCell(row, column); });
    new HexKeyFilter(w_.edAdrFL, [this] { host_.whenFree([this] { edAdrFLEnter(); }); });
    // activated: the user's choice only; the start-up setting of the box reads nothing.
    connect(w_.cbBottomAdrFL, &QComboBox::activated, this,
            [this](int i) { host_.whenFree([this, i] { cbBottomAdrFLChange(i); }); });
    connect(w_.spFL_Up, &QPushButton::clicked, this, [this] { arrowClicked(-1); });
    connect(w_.spFL_Down, &QPushButton::clicked, this, [this] { arrowClicked(+1); });
    connect(w_.sbUpDateFL, &QPushButton::clicked, this,
            [this] { host_.whenFree(host_.refreshPage); });
}

void FlashView::read() {
    readFlashPage(host_.addresses->AdrFL & 0xFF00);
}

void FlashView::readFlashPage(uint16_t base) {
    const access::ModuleAddress t = host_.target();
    if (t.level != 0) {
        const PageRead page = views::readFlashPage(*host_.engine, t, base);
        // At level 2 the rows are labelled before the read; at level 1 only when the page came.
        if (t.level == 2 || page.complete()) w_.sgFL->setRowAddresses(base);
        for (int half = 0; half < 2; ++half) {
            if (!(half == 0 ? page.firstHalf : page.secondHalf)) break;
            for (int i = 0; i < 128; ++i)
                w_.sgFL->setCellText(1 + (half * 128 + i) / 16, 1 + i % 16,
                                     hex(page.bytes[static_cast<size_t>(half * 128 + i)], 2));
        }
        valid_ = page.complete();
    }
    const Cell c = cellOf(host_.addresses->AdrFL);
    w_.sgFL->setCurrentCell(c.row, c.column);
    paint();
}

void FlashView::paint() {
    for (int r = 1; r <= 16; ++r)
        for (int c = 1; c <= 16; ++c) {
            QTableWidgetItem* cell = w_.sgFL->item(r, c);
            if (!valid_)
                cell->setForeground(kStaleColour);
            else if (cell->text() != "FF")
                cell->setForeground(kProgrammedColour);
            else
                cell->setForeground(QBrush());
        }
}

void FlashView::sgFLSelectCell(int row, int column) {
    if (row < 1 || column < 1) return;
    ViewAddresses& a = *host_.addresses;
    a.AdrFL = addressOf(a.AdrFL, 0xFF00, {column, row});
    showAddress();
}

void FlashView::showAddress() {
    w_.edAdrFL->setText(hex(host_.addresses->AdrFL, 4));
}

void FlashView::stepFlashPage(int32_t step) {
    ViewAddresses& a = *host_.addresses;
    auto to = steppedFlashAddress(a.AdrFL, step, a.FlashBottom);
    if (!to) return;
    a.AdrFL = *to;
    readFlashPage(a.AdrFL & 0xFF00);
    showAddress();
}

void FlashView::arrowClicked(int32_t direction) {
    const Qt::KeyboardModifiers mods = QApplication::keyboardModifiers();
    int32_t step = lastStep_;
    if (mods == Qt::NoModifier)
        step = direction * 0x100;
    else if (mods == Qt::ShiftModifier)
        step = direction * 0x1000;
    lastStep_ = step;
    host_.whenFree([this, step] { stepFlashPage(step); });
}

bool FlashView::key(QKeyEvent* key) {
    const bool shiftOnly = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    int32_t step = 0;
    if (key->key() == Qt::Key_PageDown) step = 0x100;
    if (key->key() == Qt::Key_PageUp) step = -0x100;
    if (step == 0 || !(shiftOnly || plain)) return false;
    if (shiftOnly) step *= 16;
    lastStep_ = step;
    host_.whenFree([this, step] { stepFlashPage(step); });
    return true;
}

void FlashView::edAdrFLEnter() {
    ViewAddresses& a = *host_.addresses;
    auto to = flashBoxAddress(w_.edAdrFL->text().toStdString(), a.FlashBottom);
    if (!to) return;
    a.AdrFL = *to;
    showAddress();
    host_.refreshPage();
    const Cell c = cellOf(a.AdrFL);
    w_.sgFL->setCurrentCell(c.row, c.column);
    showAddress();
}

void FlashView::cbBottomAdrFLChange(int index) {
    auto bottom = boxValue(w_.cbBottomAdrFL->itemText(index).toStdString(), 0xFFFF);
    if (!bottom) return;
    ViewAddresses& a = *host_.addresses;
    a.FlashBottom = static_cast<uint16_t>(*bottom);
    a.AdrFL = a.FlashBottom;
    showAddress();
    host_.refreshPage();
}

}  // namespace velmora::views
