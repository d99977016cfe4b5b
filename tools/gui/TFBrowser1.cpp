#include "tools/gui/TFBrowser1.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <vector>

#include "common/FileReplace.h"
#include "common/HexText.h"
#include "common/gui/Fonts.h"
#include "common/gui/ProgramCaption.h"
#include "symbols/gui/SymbolNameField.h"
#include "tools/gui/WatchChart.h"

namespace velmora::tools {

namespace {

// An up-down control whose own field is the read-only edit `shown`, as a Windows up-down
// control writes its position into the edit beside it; here the two are one field. The
// value is written in hexadecimal with `hexDigits` digits, or in decimal when 0.
class UpDownField : public QSpinBox {
public:
    UpDownField(QLineEdit* shown, int hexDigits) : hexDigits_(hexDigits) {
        setLineEdit(shown);
        shown->setReadOnly(true);  // the arrows, the arrow keys and the wheel step it
        if (hexDigits) setDisplayIntegerBase(16);
    }

protected:
    QString textFromValue(int v) const override {
        return hexDigits_ ? QString::fromStdString(hexNumber(static_cast<uint32_t>(v), hexDigits_))
                          : QSpinBox::textFromValue(v);
    }

private:
    int hexDigits_;
};

QSpinBox* upDown(const char* name, QSpinBox* s, int from, int to, int step, int start) {
    s->setObjectName(name);
    s->setRange(from, to);
    s->setSingleStep(step);
    s->setValue(start);
    return s;
}

QLineEdit* shownValue(const char* name) {
    auto* e = new QLineEdit;
    e->setObjectName(name);
    return e;
}

// lbWath's columns: where each title stands in a watch line, in characters.
struct Column {
    const char* title;
    size_t at;
};
std::vector<Column> watchColumns() {
    static const char* const bytes[] = {"00", "01", "02", "03", "04", "05", "06", "07"};
    std::vector<Column> c = {{"", 0}, {"Адр Modbus", kWatchCidAt}, {"Адр i2c", kWatchSlaveAt},
                             {"Адр RAM", kWatchAddressAt}, {"Кол-во", kWatchCountAt}};
    for (size_t n = 0; n < kWatchCountMax; ++n) c.push_back({bytes[n], kWatchBytesAt + n * kWatchByteStep});
    return c;
}

}  // namespace

TFBrowser1::TFBrowser1(link::TransactionEngine& engine, link::Clock& clock, WatchList& entries,
                       const symbols::gui::ProjectSymbols& symbols, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      engine_(engine),
      clock_(clock),
      entries_(entries) {
    setObjectName("TFBrowser1");
    setWindowTitle("Окно просмотра");
    const QFont mono = gui::namedFont("Courier New", 10, true);

    lbHeader = new QHeaderView(Qt::Horizontal);
    lbHeader->setObjectName("lbHeader");
    lbHeader->setAccessibleName("Столбцы списка");
    auto* titles = new QStandardItemModel(0, 0, lbHeader);
    QStringList words;
    for (const Column& c : watchColumns()) words << c.title;
    titles->setHorizontalHeaderLabels(words);
    lbHeader->setModel(titles);
    lbHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lbHeader->setSectionsClickable(false);
    lbHeader->setMinimumSectionSize(1);
    lbHeader->setSectionResizeMode(QHeaderView::Fixed);
    lbHeader->setStretchLastSection(true);
    // A header view is a scroll area, whose least size is its scroll bars'.
    lbHeader->setFixedHeight(lbHeader->sizeHint().height());
    lbWath = new QListWidget;
    lbWath->setObjectName("lbWath");
    lbWath->setAccessibleName("Наблюдаемые переменные");
    lbWath->setFont(mono);
    lbWath->setStyleSheet("QListWidget { color: yellow; background: blue; }");
    lbWath->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    SB1 = new QStatusBar;
    SB1->setObjectName("SB1");
    SB1->setAccessibleName("Строка состояния");
    SB1->setSizeGripEnabled(false);

    rgREG = new QGroupBox("      Режим      ");
    rgREG->setObjectName("rgREG");
    rbWatch = new QRadioButton("Слежение");
    rbEdit = new QRadioButton("Редактирование");
    rbWatch->setObjectName("rbWatch");
    rbEdit->setObjectName("rbEdit");
    rbWatch->setChecked(true);
    auto* modes = new QVBoxLayout(rgREG);
    modes->addWidget(rbWatch);
    modes->addWidget(rbEdit);
    SpinEdit1 = upDown("SpinEdit1", new QSpinBox, 500, 3000, 500, 500);
    auto* periodLabel = new QLabel("Период обновления [мс]");
    periodLabel->setBuddy(SpinEdit1);
    SpinEdit1->setAccessibleName(periodLabel->text());
    btnClose = new QPushButton("Закрыть");
    btnClose->setObjectName("btnClose");
    btnClose->setAutoDefault(false);

    pnEdit = buildEditPanel(symbols);
    pnEdit->hide();
    chart = new WatchChart(entries_, history_);
    chart->hide();
    cbChart = new QCheckBox("График");
    cbChart->setObjectName("cbChart");
    btnCsv = new QPushButton("Сохранить в CSV...");
    btnCsv->setObjectName("btnCsv");
    btnCsv->setAutoDefault(false);
    chooseCsvFile = [this] {
        return QFileDialog::getSaveFileName(this, "Сохранить в CSV", QString(),
                                            "Файлы CSV (*.csv);;Все файлы (*)");
    };

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(rgREG);
    auto* period = new QVBoxLayout;
    period->addWidget(periodLabel);
    period->addWidget(SpinEdit1);
    period->addStretch();
    bottom->addLayout(period);
    auto* chartSide = new QVBoxLayout;
    chartSide->addWidget(cbChart);
    chartSide->addWidget(btnCsv);
    chartSide->addStretch();
    bottom->addLayout(chartSide);
    bottom->addStretch();
    bottom->addWidget(btnClose);
    auto* box = new QVBoxLayout(this);
    auto* table = new QVBoxLayout;
    table->setSpacing(0);  // the header sits on the list, as a table's does
    table->addWidget(lbHeader);
    table->addWidget(lbWath, 1);
    box->addLayout(table, 1);
    box->addWidget(chart, 2);
    box->addWidget(pnEdit);
    box->addLayout(bottom);
    box->addWidget(SB1);
    resize(640, 420);

    connect(lbWath->horizontalScrollBar(), &QScrollBar::valueChanged, lbHeader, &QHeaderView::setOffset);
    connect(&timUpData, &QTimer::timeout, this, &TFBrowser1::timUpDataTimer);
    connect(rbWatch, &QRadioButton::toggled, this, [this](bool on) { rgREGClick(on); });
    connect(btnClose, &QPushButton::clicked, this, &TFBrowser1::reject);
    connect(cbChart, &QCheckBox::toggled, this, &TFBrowser1::cbChartClick);
    connect(btnCsv, &QPushButton::clicked, this, &TFBrowser1::btnCsvClick);
    connect(lbWath, &QListWidget::itemSelectionChanged, this, [this] {
        btnDelete->setEnabled(!watching_ && !lbWath->selectedItems().isEmpty());
    });
}

QWidget* TFBrowser1::buildEditPanel(const symbols::gui::ProjectSymbols& symbols) {
    auto* panel = new QWidget;
    panel->setObjectName("pnEdit");
    edAdr_Modbus = shownValue("edAdr_Modbus");
    UpD_Modbus = upDown("UpD_Modbus", new UpDownField(edAdr_Modbus, 2), 2, 254, 2, 2);
    edAdr_i2c = shownValue("edAdr_i2c");
    UpD_i2c = upDown("UpD_i2c", new UpDownField(edAdr_i2c, 2), 0, 254, 2, 0);
    edCnt_RAM = shownValue("edCnt_RAM");
    UpD_cntRAM = upDown("UpD_cntRAM", new UpDownField(edCnt_RAM, 0), 1, kWatchCountMax, 1, 1);
    edAdr_RAM = new QLineEdit;
    edAdr_RAM->setObjectName("edAdr_RAM");
    edAdr_RAM->setMaxLength(3);
    edAdr_RAM->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,3}"),
                                                            edAdr_RAM));
    edSymbol = new symbols::gui::SymbolNameField(symbols, edAdr_RAM);
    btnAdd = new QPushButton("Добавить");
    btnAdd->setObjectName("btnAdd");
    btnAdd->setAutoDefault(false);
    btnDelete = new QPushButton("Удалить");
    btnDelete->setObjectName("btnDelete");
    btnDelete->setAutoDefault(false);
    btnDelete->setEnabled(false);

    auto* g = new QGridLayout(panel);
    g->setContentsMargins(0, 6, 0, 0);
    const std::pair<QString, QWidget*> fields[] = {{"Адрес Modbus", UpD_Modbus},
                                                   {"Адрес i2c", UpD_i2c},
                                                   {"Кол-во (max 8)", UpD_cntRAM},
                                                   {"Адрес RAM", edAdr_RAM},
                                                   {"Имя переменной", edSymbol}};
    int column = 0;
    for (const auto& [caption, field] : fields) {
        auto* l = new QLabel(caption);
        l->setBuddy(field);
        field->setAccessibleName(caption);
        g->addWidget(l, 0, column);
        g->addWidget(field, 1, column++);
    }
    for (QLineEdit* shown : {edAdr_Modbus, edAdr_i2c, edCnt_RAM})
        shown->setAccessibleName(shown->parentWidget()->accessibleName());
    g->addWidget(btnAdd, 1, column++);
    g->addWidget(btnDelete, 1, column++);
    g->setColumnStretch(column, 1);

    // Lower-case letters are upper-cased as typed rather than refused.
    connect(edAdr_RAM, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (t != t.toUpper()) edAdr_RAM->setText(t.toUpper());
    });
    connect(btnAdd, &QPushButton::clicked, this, &TFBrowser1::btnAddClick);
    connect(btnDelete, &QPushButton::clicked, this, &TFBrowser1::btnDeleteClick);
    return panel;
}

void TFBrowser1::alignHeader() {
    // A section starts where its field starts in the list's lines: the list's text origin
    // plus that many characters of the list's (fixed-pitch) font.
    const QFontMetrics chars(lbWath->font());
    const int origin = lbWath->viewport()->geometry().left();
    const std::vector<Column> columns = watchColumns();
    int left = 0;
    for (size_t i = 0; i + 1 < columns.size(); ++i) {
        const int next = origin + chars.horizontalAdvance(QString(static_cast<int>(columns[i + 1].at), ' '));
        lbHeader->resizeSection(static_cast<int>(i), next - left);
        left = next;
    }
}

void TFBrowser1::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    alignHeader();  // the list's frame is known once its style is
}

void TFBrowser1::fillEntryTexts() {
    lbWath->clear();
    for (const RamVariable& v : entries_.entries())
        lbWath->addItem(QString::fromStdString(watchEntryText(v)));
}

void TFBrowser1::btnAddClick() {
    const auto cid = static_cast<uint8_t>(UpD_Modbus->value());
    const auto slave = static_cast<uint8_t>(UpD_i2c->value());
    const auto count = static_cast<uint16_t>(UpD_cntRAM->value());
    switch (entries_.add(cid, slave, edAdr_RAM->text().toStdString(), count)) {
        case WatchAdd::Added:
            lbWath->addItem(QString::fromStdString(watchEntryText(entries_.entries().back())));
            SB1->clearMessage();
            break;
        case WatchAdd::OutsideRam:
            SB1->showMessage("Переменная выходит за конец RAM (FFF)");
            break;
        case WatchAdd::Full:
        case WatchAdd::NoAddress:
            break;
    }
}

void TFBrowser1::btnDeleteClick() {
    const int row = lbWath->currentRow();
    if (row < 0 || lbWath->count() == 0) return;
    history_.forget(entries_.idOf(static_cast<size_t>(row)));
    entries_.remove(static_cast<size_t>(row));
    delete lbWath->takeItem(row);
    if (chart->isVisible()) chart->redraw();
    lbWath->clearSelection();
    btnDelete->setEnabled(false);
}

void TFBrowser1::rgREGClick(bool watch) {
    watching_ = watch;
    if (watch) {
        pnEdit->hide();
        btnDelete->setEnabled(false);
        timUpData.start(SpinEdit1->value());
        return;
    }
    pnEdit->show();
    timUpData.stop();
    fillEntryTexts();
}

void TFBrowser1::timUpDataTimer() {
    if (entries_.size() == 0 || !watching_) return;
    // Another operation has the link: this tick is skipped, the next one comes.
    if (!engine_.isIdle()) return;
    timUpData.stop();
    const uint64_t atMs = clock_.nowMs();  // one time a pass: the pass is a row of the CSV file
    const WatchList::Pass pass = entries_.read(engine_);
    lbWath->clear();
    for (const std::string& line : pass.lines) lbWath->addItem(QString::fromStdString(line));
    SB1->showMessage(QString::fromStdString(pass.error));
    for (size_t i = 0; i < pass.values.size(); ++i) history_.record(entries_.idOf(i), atMs, pass.values[i]);
    if (chart->isVisible()) chart->redraw();
    if (watching_) timUpData.start(SpinEdit1->value());
}

void TFBrowser1::cbChartClick(bool shown) {
    // The window grows by the chart and gives the room back, so the list keeps its size,
    // as far as the screen lets it: on a small one the list and the chart share it.
    const int room = chart->sizeHint().height() + layout()->spacing();
    chart->setVisible(shown);
    if (shown) chart->redraw();
    int tall = std::max(minimumSizeHint().height(), height() + (shown ? room : -room));
    const QScreen* s = screen();
    if (!s) return resize(width(), tall);
    const QRect free = s->availableGeometry();
    const int frame = frameGeometry().height() - height();
    tall = std::max(minimumSizeHint().height(), std::min(tall, free.height() - frame));
    resize(width(), tall);
    if (frameGeometry().top() + frame + tall > free.bottom() + 1)
        move(x(), std::max(free.top(), free.bottom() + 1 - frame - tall));
}

void TFBrowser1::btnCsvClick() {
    const QString path = chooseCsvFile();
    if (path.isEmpty()) return;
    std::vector<CsvColumn> columns;
    for (size_t i = 0; i < entries_.size(); ++i)
        columns.push_back({watchEntryName(entries_.entries()[i]), history_.samples(entries_.idOf(i))});
    std::string why;
    if (!replaceFile(QFile::encodeName(path).toStdString(),
                     watchCsv(columns, history_.firstMs().value_or(0)), why)) {
        QMessageBox::critical(this, gui::kProgramCaption, QString::fromStdString(why));
        return;
    }
    SB1->showMessage(path);
}

void TFBrowser1::reject() {
    timUpData.stop();
    watching_ = false;
    QDialog::reject();
}

}  // namespace velmora::tools
