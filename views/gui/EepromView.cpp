#include "views/gui/EepromView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

#include "common/HexText.h"
#include "views/MemoryReads.h"
#include "views/MemoryWrites.h"
#include "views/NameTables.h"
#include "views/gui/GridColours.h"
#include "views/gui/HexKeyFilter.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::views {

namespace {
QString hex(uint32_t v, int digits) {
    return QString::fromStdString(hexNumber(v, digits));
}
constexpr uint16_t kLastEeAddress = 0x3FF;  // four ranges of 0x100
}  // namespace

EepromView::EepromView(ViewHost host, EepromTabWidgets& w) : host_(std::move(host)), w_(w) {
    edEE_ = new CellEditor(
        "edEE", w_.sgEE, [this] { host_.whenFree([this] { edEEEnter(); }); },
        [this] { w_.sgEE->setFocus(); });
    connect(w_.sgEE, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { sgEESelectCell(row, column); });
    connect(w_.sgEE, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (row >= 1 && column >= 1) sgEEClick();
    });
    connect(w_.sgEE, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (row >= 1 && column >= 1) openEditor({});
    });
    connect(w_.cbRangEE, &QComboBox::activated, this,
            [this](int i) { host_.whenFree([this, i] { rangeChange(i); }); });
    for (TActvePanel* p : w_.pnEE)
        connect(p, &TActvePanel::clicked, this,
                [this](int tag) { host_.whenFree([this, tag] { pnEE0Click(tag); }); });
    new HexKeyFilter(w_.edAdrEE, [this] { host_.whenFree([this] { edAdrEEEnter(); }); });
    connect(w_.sbUpDateSE, &QPushButton::clicked, this,
            [this] { host_.whenFree([this] { refresh(); }); });
    for (QWidget* c : {static_cast<QWidget*>(w_.cbRangEE), static_cast<QWidget*>(w_.sbUpDateSE),
                       static_cast<QWidget*>(w_.edAdrEE)})
        c->setEnabled(true);
    w_.pnEE[0]->setActive(true);
}

void EepromView::readEEPage() {
    const access::ModuleAddress t = host_.target();
    if (t.level == 0) return;
    const uint16_t base = host_.addresses->AdrEE & 0xF00;
    w_.sgEE->setRowAddresses(base);
    const PageRead page = views::readEEPage(*host_.engine, t, base);
    if (!page.complete()) {
        fill("??", 1);
    } else {
        for (int i = 0; i < 256; ++i)
            w_.sgEE->setCellText(1 + i / 16, 1 + i % 16,
                                 hex(page.bytes[static_cast<size_t>(i)], 2));
    }
    paint();
}

void EepromView::fill(const QString& text, int fromRow) {
    for (int r = fromRow; r <= 16; ++r)
        for (int c = 1; c <= 16; ++c) w_.sgEE->setCellText(r, c, text);
}

void EepromView::refresh() {
    fill({}, 1);
    host_.refreshPage();
}

void EepromView::paint() {
    const bool page0 = w_.sgEE->cellText(1, 0) == "000";
    for (int r = 1; r <= 16; ++r)
        for (int c = 1; c <= 16; ++c) {
            QTableWidgetItem* cell = w_.sgEE->item(r, c);
            if (page0 && r == 16 && c >= 9)
                cell->setForeground(kMonitorColour);  // the node's link parameters
            else if (cell->text() != "FF")
                cell->setForeground(kProgrammedColour);
            else
                cell->setForeground(QBrush());
        }
}

void EepromView::sgEESelectCell(int row, int column) {
    if (row < 1 || column < 1) return;
    selected_ = {column, row};
    ViewAddresses& a = *host_.addresses;
    a.AdrEE = addressOf(a.AdrEE, 0x7F00, selected_);
    w_.edAdrEE->setText(hex(a.AdrEE, 3));
}

void EepromView::sgEEClick() {
    edEE_->hide();
    const auto value = boxValue(w_.edAdrEE->text().toStdString(), 0xFFF);
    if (!value) return;
    host_.addresses->AdrEE = static_cast<uint16_t>(*value);
    const auto hint = eeHintName(host_.addresses->AdrEE);
    const QString text =
        hint ? QString::fromUtf8(hint->data(), static_cast<qsizetype>(hint->size())) : QString();
    w_.sgEE->setToolTip(text);
    w_.sgEE->setAccessibleDescription(text);
}

void EepromView::openEditor(const QString& digit) {
    if (!boxValue(w_.edAdrEE->text().toStdString(), 0xFFF)) {
        error(conversionError(w_.edAdrEE->text()));
        return;
    }
    const QString text = w_.sgEE->cellText(selected_.row, selected_.column);
    edEE_->openOver(w_.sgEE, selected_.row, selected_.column, digit.isEmpty() ? text : digit);
    if (!digit.isEmpty()) edEE_->deselect();
}

bool EepromView::key(QKeyEvent* key) {
    if (edEE_->isVisible() || QApplication::focusWidget() != w_.sgEE) return false;
    const std::optional<QString> opening = CellEditor::openingText(key);
    if (!opening) return false;
    openEditor(*opening);
    return true;
}

void EepromView::edEEEnter() {
    const QString typed = edEE_->text();
    w_.sgEE->setFocus();
    edEE_->hide();
    const auto value = boxValue(typed.toStdString(), 0xFF);
    if (!value) {
        // Nothing is sent, at either level: a level-2 write that had already moved
        // REG_PAGE would leave it there.
        error(conversionError(typed));
        return;
    }
    const access::ModuleAddress t = host_.target();
    const auto done =
        writeEECell(*host_.engine, t, host_.addresses->AdrEE, static_cast<uint8_t>(*value));
    if (done == WriteOutcome::NothingSent) return;
    if (t.level == 1) {
        if (done == WriteOutcome::Written)
            w_.sgEE->setCellText(selected_.row, selected_.column, typed);

        else
            error("Ошибка записи в SEEPROM");
        paint();
        return;
    }
    if (done == WriteOutcome::Written) {
        refresh();
    } else {
        fill("??", 9);
        paint();
    }
}

void EepromView::rangeChange(int index) {
    ViewAddresses& a = *host_.addresses;
    a.AdrEE = static_cast<uint16_t>(index * 0x100 + (a.AdrEE & 0xFF));
    w_.edAdrEE->setText(hex(a.AdrEE, 3));
    host_.refreshPage();
    w_.sgEE->setRowAddresses(a.AdrEE & 0xF00);
}

void EepromView::pnEE0Click(int tag) {
    const int index = tag & 7;
    if (index >= w_.cbRangEE->count()) return;
    w_.cbRangEE->setCurrentIndex(index);
    rangeChange(index);
    for (TActvePanel* p : w_.pnEE) p->setActive(false);
    w_.pnEE[static_cast<size_t>(index)]->setActive(true);
}

void EepromView::edAdrEEEnter() {
    // Enter in the address box moves the view to that address.
    const auto value = boxValue(w_.edAdrEE->text().toStdString(), kLastEeAddress);
    if (!value) {
        error(conversionError(w_.edAdrEE->text()));
        return;
    }
    host_.addresses->AdrEE = static_cast<uint16_t>(*value);
    pnEE0Click(*value >> 8);
    const Cell c = cellOf(host_.addresses->AdrEE);
    w_.sgEE->setCurrentCell(c.row, c.column);
}

void EepromView::error(const QString& text) {
    QMessageBox::critical(host_.window, QString(gui::kProgramCaption), text);
}

}  // namespace velmora::views
