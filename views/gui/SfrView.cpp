#include "views/gui/SfrView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

#include "common/HexText.h"
#include "views/GridMath.h"
#include "views/MemoryReads.h"
#include "views/MemoryWrites.h"
#include "views/SfrList.h"
#include "views/gui/HexKeyFilter.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::views {

SfrView::SfrView(ViewHost host, SfrTabWidgets& w) : host_(std::move(host)), w_(w) {
    QListWidget* list = w_.lbSFR;
    // Four columns of 32 items, filled top to bottom.
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(true);
    list->setStyleSheet("QListWidget { color: navy; background: palette(tool-tip-base); }");
    edSFR_ = new CellEditor(
        "edSFR", list, [this] { host_.whenFree([this] { edSFREnter(); }); },
        [this] { w_.lbSFR->setFocus(); });
    connect(list, &QListWidget::currentRowChanged, this, [this](int) { lbSFRClick(); });
    connect(list, &QListWidget::itemDoubleClicked, this, [this] { openEditor(); });
    connect(w_.sbUpDateSFR, &QPushButton::clicked, this, [this] {
        host_.whenFree([this] {
            readSFRPage();
            w_.lbSFR->setFocus();
        });
    });
    w_.sbUpDateSFR->setEnabled(true);
}

void SfrView::readSFRPage() {
    const access::ModuleAddress t = host_.target();
    std::optional<std::array<uint8_t, 128>> values;
    if (t.level != 0) {
        values = readSFRBlock(*host_.engine, t);
        if (!values) return;  // the list keeps what it showed
    }
    QListWidget* list = w_.lbSFR;
    const int selected = list->currentRow();
    list->clear();
    for (const std::string& item : sfrListItems(values))
        list->addItem(QString::fromStdString(item));
    if (selected >= 0) list->setCurrentRow(selected);
}

void SfrView::lbSFRClick() {
    QListWidgetItem* item = w_.lbSFR->currentItem();
    if (!item) return;
    if (auto adr = sfrItemAddress(item->text().toStdString()))
        w_.edAdrSFR->setText(QString::fromStdString(hexNumber(*adr, 3)));
}

void SfrView::openEditor() {
    QListWidgetItem* item = w_.lbSFR->currentItem();
    if (!item) return;
    const QString text = item->text();
    const int eq = static_cast<int>(text.indexOf('='));
    QRect r = w_.lbSFR->visualItemRect(item);
    r.translate(w_.lbSFR->viewport()->mapTo(w_.lbSFR, QPoint(0, 0)));
    // Over the value: right of the "=", a pixel higher and a little taller than the item.
    r.setLeft(r.left() + w_.lbSFR->fontMetrics().horizontalAdvance(text.left(eq + 1)));
    r.setWidth(w_.lbSFR->fontMetrics().horizontalAdvance("WWW"));
    r.adjust(0, -1, 0, 5);
    edSFR_->openAt(r, QString::fromStdString(std::string(sfrItemValue(text.toStdString()))));
}

bool SfrView::key(QKeyEvent* key) {
    if (edSFR_->isVisible()) return false;
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (!w_.lbSFR->currentItem()) return false;
    openEditor();
    return true;
}

void SfrView::edSFREnter() {
    QListWidgetItem* item = w_.lbSFR->currentItem();
    const QString typed = edSFR_->text();
    w_.lbSFR->setFocus();
    edSFR_->hide();
    if (item) {
        const auto adr = sfrItemAddress(item->text().toStdString());
        const auto value = boxValue(typed.toStdString(), 0xFF);
        if (!value) {
            error(conversionError(typed));
        } else if (adr && writeSFR(*host_.engine, host_.target(), *adr,
                                   static_cast<uint8_t>(*value)) == WriteOutcome::Failed) {
            error("Ошибка записи в SFR");
        }
    }
    readSFRPage();
    w_.lbSFR->setFocus();
}

void SfrView::error(const QString& text) {
    QMessageBox::critical(host_.window, QString(gui::kProgramCaption), text);
}

}  // namespace velmora::views
