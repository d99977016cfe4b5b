#include "tools/gui/TFBrowser.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "common/gui/Fonts.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::tools {

namespace {
enum Column { kCid, kSlave, kAddress, kCount, kValue, kColumns };
}  // namespace

TFBrowser::TFBrowser(link::TransactionEngine& engine, TFEditBrow& editor, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), engine_(engine), editor_(editor) {
    setObjectName("TFBrowser");
    setWindowTitle("Окно просмотра");
    // Above the main window, yet typing there carries on undisturbed.
    setAttribute(Qt::WA_ShowWithoutActivating);

    reBrow = new QTreeWidget;
    reBrow->setObjectName("reBrow");
    reBrow->setAccessibleName("Значения переменных");
    reBrow->setStyleSheet("QTreeWidget { background: aqua; }");
    reBrow->setFont(gui::namedFont("Courier New", 10, false));
    reBrow->header()->setFont(font());  // the titles in the window's font, as the other labels
    reBrow->setColumnCount(kColumns);
    reBrow->setHeaderLabels({"Адр Modbus", "Адр i2c", "Адр RAM", "Кол-во", "Значение"});
    reBrow->setRootIsDecorated(false);
    reBrow->setUniformRowHeights(true);
    reBrow->setAllColumnsShowFocus(true);
    reBrow->header()->setSectionsMovable(false);
    reBrow->header()->setAccessibleName("Столбцы списка");
    for (int c = kCid; c < kValue; ++c) reBrow->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
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
    box->addWidget(reBrow, 1);
    box->addLayout(bottom);
    resize(640, 300);

    timUpData.setInterval(spPeriod->value());
    connect(&timUpData, &QTimer::timeout, this, &TFBrowser::timUpDataTimer);
    connect(spPeriod, &QSpinBox::valueChanged, this, [this](int ms) { timUpData.setInterval(ms); });
    connect(reBrow, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        reBrowClicked(item ? reBrow->indexOfTopLevelItem(item) : -1);
    });
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
        const LineColumns c = columnsOfLine(line);
        auto* item = new QTreeWidgetItem(reBrow);
        const std::string* texts[kColumns] = {&c.cid, &c.slave, &c.address, &c.count, &c.value};
        for (int i = 0; i < kColumns; ++i) item->setText(i, QString::fromStdString(*texts[i]));
        if (!isEntryLine(line)) item->setFlags(Qt::ItemIsEnabled);  // value lines: not selectable
    }
    if (auto s = list_.selected()) reBrow->setCurrentItem(reBrow->topLevelItem(static_cast<int>(*s)));
}

void TFBrowser::reBrowClicked(int row) {
    if (row < 0) return;
    list_.click(static_cast<size_t>(row));
    if (!list_.selected()) {
        const QSignalBlocker quiet(reBrow);
        reBrow->setCurrentItem(nullptr);
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
