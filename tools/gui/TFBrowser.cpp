#include "tools/gui/TFBrowser.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "common/gui/Fonts.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::tools {

namespace {

QWidget* header() {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    for (const char* title : {"Адр Modbus", "Адр i2c", "Адр RAM", "Значение"}) {
        auto* l = new QLabel(title);
        l->setFixedWidth(80);
        h->addWidget(l);
    }
    h->addStretch();
    return row;
}

}  // namespace

TFBrowser::TFBrowser(link::TransactionEngine& engine, TFEditBrow& editor, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), engine_(engine), editor_(editor) {
    setObjectName("TFBrowser");
    setWindowTitle("Окно просмотра");
    // Above the main window, yet typing there carries on undisturbed.
    setAttribute(Qt::WA_ShowWithoutActivating);

    reBrow = new QListWidget;
    reBrow->setObjectName("reBrow");
    reBrow->setAccessibleName("Значения переменных");
    reBrow->setStyleSheet("QListWidget { background: aqua; }");
    reBrow->setFont(gui::namedFont("Courier New", 10, false));
    reBrow->setContextMenuPolicy(Qt::CustomContextMenu);
    popup = new QMenu(this);
    pmAdd = popup->addAction("Добавить");
    pmChange = popup->addAction("Изменить");
    pmDelete = popup->addAction("Удалить");

    spPeriod = new QSpinBox;
    spPeriod->setObjectName("spPeriod");
    spPeriod->setRange(500, 10000);
    spPeriod->setSingleStep(500);
    spPeriod->setValue(1000);
    auto* periodLabel = new QLabel("Период обновления (мс)");
    periodLabel->setBuddy(spPeriod);
    spPeriod->setAccessibleName(periodLabel->text());
    bbGEN = new QPushButton("Пуск");
    bbGEN->setObjectName("bbGEN");
    btnCloseBrw = new QPushButton("Закрыть");
    btnCloseBrw->setObjectName("btnCloseBrw");

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(periodLabel);
    bottom->addWidget(spPeriod);
    bottom->addStretch();
    bottom->addWidget(bbGEN);
    bottom->addWidget(btnCloseBrw);
    auto* box = new QVBoxLayout(this);
    box->addWidget(header());
    box->addWidget(reBrow, 1);
    box->addLayout(bottom);
    resize(420, 300);

    timUpData.setInterval(spPeriod->value());
    connect(&timUpData, &QTimer::timeout, this, &TFBrowser::timUpDataTimer);
    connect(spPeriod, &QSpinBox::valueChanged, this, [this](int ms) { timUpData.setInterval(ms); });
    connect(reBrow, &QListWidget::currentRowChanged, this, &TFBrowser::reBrowClicked);
    connect(reBrow, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                pmChange->setEnabled(list_.selected().has_value());
                pmDelete->setEnabled(list_.selected().has_value());
                popup->popup(reBrow->viewport()->mapToGlobal(at));
            });
    connect(pmAdd, &QAction::triggered, this, &TFBrowser::addClick);
    connect(pmChange, &QAction::triggered, this, &TFBrowser::changeClick);
    connect(pmDelete, &QAction::triggered, this, &TFBrowser::deleteClick);
    connect(bbGEN, &QPushButton::clicked, this, &TFBrowser::bbGENClick);
    connect(btnCloseBrw, &QPushButton::clicked, this, &QWidget::close);
}

void TFBrowser::stopTimer() {
    timUpData.stop();
    bbGEN->setText("Пуск");
}

void TFBrowser::showList() {
    const QSignalBlocker quiet(reBrow);
    reBrow->clear();
    for (const std::string& line : list_.lines()) {
        auto* item = new QListWidgetItem(QString::fromStdString(line), reBrow);
        if (!isEntryLine(line)) item->setFlags(Qt::ItemIsEnabled);  // value lines: not selectable
    }
    if (auto s = list_.selected()) reBrow->setCurrentRow(static_cast<int>(*s));
}

void TFBrowser::reBrowClicked(int row) {
    if (row < 0) return;
    list_.click(static_cast<size_t>(row));
    if (!list_.selected()) {
        const QSignalBlocker quiet(reBrow);
        reBrow->setCurrentRow(-1);
    }
}

void TFBrowser::addClick() {
    stopTimer();
    editor_.btnRec->setText("Добавить");
    editor_.prepare(false, {});
    if (editor_.exec() != QDialog::Accepted) return;
    list_.append(editor_.entry().toStdString());
    showList();
}

void TFBrowser::changeClick() {
    if (!list_.selected()) return;
    stopTimer();
    const std::string& line = list_.lines()[*list_.selected()];
    editor_.edKom->setText(QString::fromStdString(line));
    editor_.btnRec->setText("Изменить");
    editor_.prepare(true, QString::fromStdString(line));
    if (editor_.exec() != QDialog::Accepted) return;
    list_.replaceSelected(editor_.entry().toStdString());
    showList();
}

void TFBrowser::deleteClick() {
    if (!list_.selected()) return;
    list_.removeSelected();
    showList();
}

void TFBrowser::bbGENClick() {
    if (timUpData.isActive()) {
        stopTimer();
        return;
    }
    timUpData.start(spPeriod->value());
    bbGEN->setText("Стоп");
}

void TFBrowser::timUpDataTimer() {
    // Another operation has the link (or is waiting for a reply): skip this tick, the
    // timer comes round again.
    if (list_.empty() || !engine_.isIdle()) return;
    timUpData.stop();
    if (!list_.refresh(engine_)) {
        bbGEN->setText("Пуск");
        QMessageBox::warning(this, gui::kProgramCaption, "ошибка обращения к модулю");
        return;
    }
    showList();
    timUpData.start(spPeriod->value());
}

void TFBrowser::closeEvent(QCloseEvent* e) {
    stopTimer();
    e->accept();
    if (onClosed) onClosed();
}

}  // namespace velmora::tools
