#include "tools/gui/TFBrowser1.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "common/HexText.h"
#include "common/gui/Fonts.h"

namespace velmora::tools {

namespace {

// The read-only edit beside an up-down control that writes its position into it.
QSpinBox* upDown(const char* name, int from, int to, int step, int start) {
    auto* s = new QSpinBox;
    s->setObjectName(name);
    s->setRange(from, to);
    s->setSingleStep(step);
    s->setValue(start);
    return s;
}

QLineEdit* readOnly(const char* name, const QString& text) {
    auto* e = new QLineEdit(text);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

QString header() {
    // The columns line up with the watch lines: see watchLine().
    return "Адр Modbus Адр i2c  Адр RAM  Кол-во  00  01  02  03  04  05  06  07";
}

}  // namespace

TFBrowser1::TFBrowser1(link::TransactionEngine& engine, WatchList& entries, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      engine_(engine),
      entries_(entries) {
    setObjectName("TFBrowser1");
    setWindowTitle("Окно просмотра");
    const QFont mono = gui::namedFont("Courier New", 10, true);

    auto* head = new QLabel(header());
    head->setFont(mono);
    lbWath = new QListWidget;
    lbWath->setObjectName("lbWath");
    lbWath->setAccessibleName("Наблюдаемые переменные");
    lbWath->setFont(mono);
    lbWath->setStyleSheet("QListWidget { color: yellow; background: blue; }");
    SB1 = new QStatusBar;
    SB1->setObjectName("SB1");
    SB1->setAccessibleName("Строка состояния");
    SB1->setSizeGripEnabled(false);

    rgREG = new QGroupBox("      Режим      ");
    rgREG->setObjectName("rgREG");
    rbWatch = new QRadioButton("Слежение");
    rbEdit = new QRadioButton("Редактирование");
    rbWatch->setChecked(true);
    auto* modes = new QVBoxLayout(rgREG);
    modes->addWidget(rbWatch);
    modes->addWidget(rbEdit);
    SpinEdit1 = upDown("SpinEdit1", 500, 3000, 500, 500);
    auto* periodLabel = new QLabel("Период обновления [мс]");
    periodLabel->setBuddy(SpinEdit1);
    SpinEdit1->setAccessibleName(periodLabel->text());
    btnClose = new QPushButton("Закрыть");
    btnClose->setObjectName("btnClose");
    btnClose->setAutoDefault(false);

    pnEdit = buildEditPanel();
    pnEdit->hide();

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(rgREG);
    auto* period = new QVBoxLayout;
    period->addWidget(periodLabel);
    period->addWidget(SpinEdit1);
    bottom->addLayout(period);
    bottom->addStretch();
    bottom->addWidget(btnClose);
    auto* box = new QVBoxLayout(this);
    box->addWidget(head);
    box->addWidget(lbWath, 1);
    box->addWidget(pnEdit);
    box->addLayout(bottom);
    box->addWidget(SB1);
    resize(640, 420);

    connect(&timUpData, &QTimer::timeout, this, &TFBrowser1::timUpDataTimer);
    connect(rbWatch, &QRadioButton::toggled, this, [this](bool on) { rgREGClick(on); });
    connect(btnClose, &QPushButton::clicked, this, &TFBrowser1::reject);
    connect(lbWath, &QListWidget::itemSelectionChanged, this, [this] {
        btnDelete->setEnabled(!watching_ && !lbWath->selectedItems().isEmpty());
    });
}

QWidget* TFBrowser1::buildEditPanel() {
    auto* panel = new QWidget;
    panel->setObjectName("pnEdit");
    edAdr_Modbus = readOnly("edAdr_Modbus", "2");
    UpD_Modbus = upDown("UpD_Modbus", 2, 254, 2, 2);
    edAdr_i2c = readOnly("edAdr_i2c", "0");
    UpD_i2c = upDown("UpD_i2c", 0, 254, 2, 0);
    edCnt_RAM = readOnly("edCnt_RAM", "1");
    UpD_cntRAM = upDown("UpD_cntRAM", 1, 8, 1, 1);
    edAdr_RAM = new QLineEdit;
    edAdr_RAM->setObjectName("edAdr_RAM");
    edAdr_RAM->setMaxLength(3);
    edAdr_RAM->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-F]{0,3}"),
                                                            edAdr_RAM));
    btnAdd = new QPushButton("Добавить");
    btnAdd->setObjectName("btnAdd");
    btnAdd->setAutoDefault(false);
    btnDelete = new QPushButton("Удалить");
    btnDelete->setObjectName("btnDelete");
    btnDelete->setAutoDefault(false);
    btnDelete->setEnabled(false);

    auto* g = new QGridLayout(panel);
    const std::pair<QString, QWidget*> rows[] = {{"Адрес Modbus", edAdr_Modbus},
                                                 {"Адрес i2c", edAdr_i2c},
                                                 {"Кол-во (max 8)", edCnt_RAM},
                                                 {"Адрес RAM", edAdr_RAM}};
    QSpinBox* ups[] = {UpD_Modbus, UpD_i2c, UpD_cntRAM, nullptr};
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel(rows[i].first);
        l->setBuddy(rows[i].second);
        rows[i].second->setAccessibleName(rows[i].first);
        g->addWidget(l, 0, i * 2, 1, 2);
        g->addWidget(rows[i].second, 1, i * 2);
        if (ups[i]) {
            ups[i]->setAccessibleName(rows[i].first + ", шаг");  // steps the field beside it
            g->addWidget(ups[i], 1, i * 2 + 1);
        }
    }
    g->addWidget(btnAdd, 1, 8);
    g->addWidget(btnDelete, 1, 9);

    connect(UpD_Modbus, &QSpinBox::valueChanged, this, [this](int v) {
        edAdr_Modbus->setText(QString::fromStdString(hexNumber(static_cast<uint32_t>(v), 2)));
    });
    connect(UpD_i2c, &QSpinBox::valueChanged, this, [this](int v) {
        edAdr_i2c->setText(QString::fromStdString(hexNumber(static_cast<uint32_t>(v), 2)));
    });
    connect(UpD_cntRAM, &QSpinBox::valueChanged, this,
            [this](int v) { edCnt_RAM->setText(QString::number(v)); });
    // Lower-case letters are upper-cased as typed rather than refused.
    connect(edAdr_RAM, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (t != t.toUpper()) edAdr_RAM->setText(t.toUpper());
    });
    connect(btnAdd, &QPushButton::clicked, this, &TFBrowser1::btnAddClick);
    connect(btnDelete, &QPushButton::clicked, this, &TFBrowser1::btnDeleteClick);
    return panel;
}

void TFBrowser1::fillEntryTexts() {
    lbWath->clear();
    for (const RamVariable& v : entries_.entries())
        lbWath->addItem(QString::fromStdString(watchEntryText(v)));
}

void TFBrowser1::btnAddClick() {
    const auto cid = static_cast<uint8_t>(edAdr_Modbus->text().toUInt(nullptr, 16));
    const auto slave = static_cast<uint8_t>(edAdr_i2c->text().toUInt(nullptr, 16));
    const auto count = static_cast<uint16_t>(edCnt_RAM->text().toUInt());
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
    entries_.remove(static_cast<size_t>(row));
    delete lbWath->takeItem(row);
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
    const WatchList::Pass pass = entries_.read(engine_);
    lbWath->clear();
    for (const std::string& line : pass.lines) lbWath->addItem(QString::fromStdString(line));
    SB1->showMessage(QString::fromStdString(pass.error));
    if (watching_) timUpData.start(SpinEdit1->value());
}

void TFBrowser1::reject() {
    timUpData.stop();
    watching_ = false;
    QDialog::reject();
}

}  // namespace velmora::tools
