#include "views/gui/RamView.h"
#include "symbols/gui/ProjectSymbols.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
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
constexpr int kPeriods[] = {500, 1000, 2000, 5000, 10000};
}  // namespace

RamView::RamView(ViewHost host, RamTabWidgets& w, TFShowVar* showVar, QAction* showVarAction)
    : host_(std::move(host)), w_(w), showVar_(showVar) {
    edRAM_ =
        new CellEditor("edRAM", w_.sgRAM, [this] { host_.whenFree([this] { edRAMEnter(); }); });
    connect(w_.sgRAM, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { sgRAMSelectCell(row, column); });
    connect(w_.sgRAM, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (row >= 1 && column >= 1) host_.whenFree([this] { sgRAMClick(); });
    });
    connect(w_.sgRAM, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (row >= 1 && column >= 1) openEditor({});
    });
    connect(w_.cbRangRAM, &QComboBox::activated, this,
            [this](int i) { host_.whenFree([this, i] { rangeChange(i); }); });
    for (TActvePanel* p : w_.pnRAM)
        connect(p, &TActvePanel::clicked, this,
                [this](int tag) { host_.whenFree([this, tag] { pnRAM0Click(tag); }); });
    new HexKeyFilter(w_.edAdrRAM, [this] { host_.whenFree([this] { edAdrRAMEnter(); }); });
    connect(w_.sbUpDateRAM, &QPushButton::clicked, this,
            [this] { host_.whenFree(host_.refreshPage); });
    connect(w_.cbAutoApDateRAM, &QCheckBox::toggled, this, &RamView::autoChanged);
    connect(w_.cbPapRAM, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && i < 5) autoPeriod_ = kPeriods[i];
    });
    connect(showVarAction, &QAction::triggered, this,
            [this] { host_.whenFree([this] { pmRAM_ShowVarClick(); }); });
    for (QWidget* c :
         {static_cast<QWidget*>(w_.cbRangRAM), static_cast<QWidget*>(w_.sbUpDateRAM),
          static_cast<QWidget*>(w_.cbPapRAM), static_cast<QWidget*>(w_.cbAutoApDateRAM)})
        c->setEnabled(true);
    showVarAction->setEnabled(true);
    w_.pnRAM[0]->setActive(true);
}

void RamView::read() {
    readRAMPage(host_.addresses->AdrRAM & 0x7F00);
}

namespace {
bool sameModule(const access::ModuleAddress& a, const access::ModuleAddress& b) {
    return a.cid == b.cid && a.slave == b.slave && a.level == b.level;
}
}  // namespace

void RamView::readRAMPage(uint16_t base) {
    const access::ModuleAddress t = host_.target();
    if (inspected_ && !sameModule(*inspected_, t)) {
        // The inspector's value was read from the module shown before.
        inspected_.reset();
        w_.lbValRAM->clear();
    }
    w_.sgRAM->setRowAddresses(base);
    if (t.level == 2) w_.edAdrRAM->setText(hex(base, 3));
    if (t.level == 0) {
        valid_ = true;
    } else {
        const PageRead page = views::readRAMPage(*host_.engine, t, base);
        for (int half = 0; half < 2; ++half) {
            if (!(half == 0 ? page.firstHalf : page.secondHalf)) break;
            for (int i = 0; i < 128; ++i)
                w_.sgRAM->setCellText(1 + (half * 128 + i) / 16, 1 + i % 16,
                                      hex(page.bytes[static_cast<size_t>(half * 128 + i)], 2));
        }
        valid_ = page.complete();
    }
    paint();
}

void RamView::paint() {
    const bool page0 = (host_.addresses->AdrRAM & 0x7F00) == 0;
    for (int r = 1; r <= 16; ++r)
        for (int c = 1; c <= 16; ++c) {
            QTableWidgetItem* cell = w_.sgRAM->item(r, c);
            if (!valid_)
                cell->setForeground(kStaleColour);
            else if (page0 && r >= 6 && r <= 8)
                cell->setForeground(kMonitorColour);
            else if (range_ == 15 && r >= 9)
                cell->setForeground(kSfrColour);
            else
                cell->setForeground(QBrush());
        }
}

void RamView::sgRAMSelectCell(int row, int column) {
    if (row < 1 || column < 1) return;
    selected_ = {column, row};
    ViewAddresses& a = *host_.addresses;
    a.AdrRAM = addressOf(a.AdrRAM, 0x7F00, selected_);
    const auto name = sysRamName(a.AdrRAM);
    const QString hint = name ? QString::fromStdString(*name) : QString();
    w_.sgRAM->setToolTip(hint);
    w_.sgRAM->setAccessibleDescription(hint);
}

void RamView::sgRAMClick() {
    if (showVar_->format() == VarFormat::Off) {
        w_.lbValRAM->clear();
        return;
    }
    const uint16_t adr = host_.addresses->AdrRAM;
    const access::ModuleAddress t = host_.target();
    const auto bytes = readVarBytes(*host_.engine, t, adr);
    if (bytes) {
        varBytes_ = *bytes;
        inspected_ = t;
    }
    if (!inspected_ || !sameModule(*inspected_, t)) {
        // Nothing read from this module yet: no value to show, not another module's.
        w_.lbValRAM->clear();
    } else {
        const std::string point = QLocale().decimalPoint().toStdString();
        w_.lbValRAM->setText(QString::fromStdString(
            showVarValue(showVar_->type(), showVar_->format(), varBytes_, point)));
        showInspected(bytes.has_value());
    }
    // The firmware's own name for the place, when its symbol file gives one.
    const std::string name = host_.symbols ? host_.symbols->table().namesAt(adr) : std::string();
    if (!name.empty())
        w_.lbValRAM->setText(QString::fromStdString(name) +
                             (w_.lbValRAM->text().isEmpty() ? QString() : ": " + w_.lbValRAM->text()));
    if (adr >= kSfrBase) {
        w_.Label16->setText("Имя SFR");
        w_.edAdrRAM->setText(
            QString::fromUtf8(SFRNames[adr - kSfrBase].data(),
                              static_cast<qsizetype>(SFRNames[adr - kSfrBase].size())));
    } else {
        w_.Label16->setText("Адрес RAM");
        w_.edAdrRAM->setText(hex(adr, 3));
    }
}

void RamView::showInspected(bool current) {
    // A failed read keeps the bytes last read, drawn as the grid draws stale values.
    QPalette palette = w_.lbValRAM->palette();
    palette.setColor(QPalette::WindowText, current ? QColor(Qt::darkBlue) : kStaleColour);
    w_.lbValRAM->setPalette(palette);
    w_.lbValRAM->setAccessibleDescription(current ? QString() : QStringLiteral("Значение не обновлено: ошибка чтения"));
}

void RamView::openEditor(const QString& digit) {
    const QString text = w_.sgRAM->cellText(selected_.row, selected_.column);
    if (text == "??") return;
    edRAM_->openOver(w_.sgRAM, selected_.row, selected_.column, digit.isEmpty() ? text : digit);
    if (!digit.isEmpty()) edRAM_->deselect();
}

bool RamView::key(QKeyEvent* key) {
    if (edRAM_->isVisible() || QApplication::focusWidget() != w_.sgRAM) return false;
    const std::optional<QString> opening = CellEditor::openingText(key);
    if (!opening) return false;
    openEditor(*opening);
    return true;
}

void RamView::edRAMEnter() {
    const auto value = boxValue(edRAM_->text().toStdString(), 0xFF);
    if (!value) {
        error(conversionError(edRAM_->text()));
        read();  // the page is still refreshed; the editor stays open
        return;
    }
    const auto done = writeRAMCell(*host_.engine, host_.target(), host_.addresses->AdrRAM,
                                   static_cast<uint8_t>(*value));
    if (done != WriteOutcome::NothingSent) valid_ = done == WriteOutcome::Written;
    w_.sgRAM->setFocus();
    edRAM_->hide();
    read();
    const Cell next = nextCell(selected_);
    w_.sgRAM->setCurrentCell(next.row, next.column);
}

void RamView::rangeChange(int index) {
    ViewAddresses& a = *host_.addresses;
    a.AdrRAM = static_cast<uint16_t>(index * 0x100 + (a.AdrRAM & 0xFF));
    w_.edAdrRAM->setText(hex(a.AdrRAM, 3));
    w_.Label16->setText("Адрес RAM");
    range_ = index;
    host_.refreshPage();
    w_.sgRAM->setRowAddresses(a.AdrRAM & 0xF00);
}

void RamView::pnRAM0Click(int tag) {
    w_.cbRangRAM->setCurrentIndex(tag);
    rangeChange(tag);
    for (TActvePanel* p : w_.pnRAM) p->setActive(false);
    w_.pnRAM[static_cast<size_t>(tag)]->setActive(true);
}

void RamView::edAdrRAMEnter() {
    const auto value = boxValue(w_.edAdrRAM->text().toStdString(), 0xFFF);
    if (!value) {
        error(conversionError(w_.edAdrRAM->text()));
        return;
    }
    ViewAddresses& a = *host_.addresses;
    a.AdrRAM = static_cast<uint16_t>(*value);
    readRAMPage(a.AdrRAM & 0x7F00);
    if (valid_) {
        const Cell c = cellOf(a.AdrRAM);
        w_.sgRAM->setCurrentCell(c.row, c.column);
    }
}

void RamView::autoChanged(bool on) {
    for (QWidget* c : {static_cast<QWidget*>(w_.cbRangRAM), static_cast<QWidget*>(w_.sbUpDateRAM),
                       static_cast<QWidget*>(w_.cbPapRAM)})
        c->setEnabled(!on);
    for (QAction* m : host_.lockedByAuto) m->setEnabled(!on);
    if (on) {
        host_.tmUpDate->setInterval(autoPeriod_);
        host_.tmUpDate->start();
    } else {
        host_.tmUpDate->stop();
    }
}

void RamView::pmRAM_ShowVarClick() {
    if (showVar_->ask()) sgRAMClick();
}

void RamView::error(const QString& text) {
    QMessageBox::critical(host_.window, QString(gui::kProgramCaption), text);
}

}  // namespace velmora::views
