#include "app/MainPages.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/ImageList.h"
#include "common/gui/ElidedLabel.h"
#include "common/gui/Fonts.h"

namespace velmora::app {

namespace {

const char* const kFooter = "Режим работы / канал связи";
const char* const kMonitorTitle = "******* Управление мониторингом *******";

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QLabel* caption(const QString& text, QWidget* parent = nullptr) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

// Controls whose behaviour belongs to a view that is not in the program yet stay
// visible but disabled, so nothing looks as if it worked when it does not.
void notWiredYet(std::initializer_list<QWidget*> controls) {
    for (QWidget* w : controls) w->setEnabled(false);
}

QComboBox* fixedList(const char* name, const QStringList& items) {
    auto* c = named(new QComboBox, name);
    c->addItems(items);
    c->setCurrentIndex(0);
    return c;
}

QWidget* labelled(const QString& text, QWidget* control) {
    auto* box = new QWidget;
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(2, 0, 2, 0);
    v->setSpacing(1);
    v->addWidget(new QLabel(text));
    v->addWidget(control);
    return box;
}

// The "Обновить" group of the identifier and RAM tabs: button, "Авто", period list.
QGroupBox* refreshGroup(QPushButton*& button, const char* buttonName, QCheckBox*& autoBox,
                        const char* autoName, QComboBox*& period, const char* periodName,
                        const QStringList& periods) {
    auto* group = new QGroupBox("Обновить");
    auto* h = new QHBoxLayout(group);
    button = named(new QPushButton("Обновить"), buttonName);
    autoBox = named(new QCheckBox("Авто"), autoName);
    // The automatic refresh belongs to the page's own view; until it is there the box
    // would only lock the pages.
    autoBox->setEnabled(false);
    period = fixedList(periodName, periods);
    notWiredYet({button, period});
    h->addWidget(button);
    h->addWidget(autoBox);
    h->addWidget(period);
    return group;
}

QWidget* systemPage(MainPages& p) {
    auto* page = named(new QWidget, "tsSysem");
    auto* v = new QVBoxLayout(page);
    v->addWidget(new QLabel("В системе обнаружены модули с адресами:"));
    auto* middle = new QHBoxLayout;
    p.tvSysInf = named(new QTreeWidget, "tvSysInf");
    p.tvSysInf->setAccessibleName("tvSysInf");
    p.tvSysInf->setHeaderHidden(true);
    p.tvSysInf->setIndentation(45);
    p.tvSysInf->setEditTriggers(QAbstractItemView::NoEditTriggers);
    p.treeRoot = new QTreeWidgetItem(p.tvSysInf, QStringList{"  Modbus           i2c"});
    p.treeRoot->setIcon(0, imageIcon(kImgTreeRoot));
    middle->addWidget(p.tvSysInf, 1);

    p.pSkan = named(new QWidget, "pSkan");
    auto* scan = new QVBoxLayout(p.pSkan);
    scan->addWidget(caption("Мультисканер"));
    scan->addWidget(caption("i2c"));
    p.Gauge2 = named(new QProgressBar, "Gauge2");
    p.Gauge2->setRange(0, 256);
    scan->addWidget(p.Gauge2);
    p.gauge1Label = caption("Modbus");
    scan->addWidget(p.gauge1Label);
    p.Gauge1 = named(new QProgressBar, "Gauge1");
    p.Gauge1->setRange(0, 256);
    scan->addWidget(p.Gauge1);
    p.btnStopSkan = named(new QPushButton("Отмена"), "btnStopSkan");
    scan->addWidget(p.btnStopSkan);
    scan->addStretch();
    p.pSkan->hide();
    middle->addWidget(p.pSkan);
    v->addLayout(middle, 1);

    auto* bottom = new QHBoxLayout;
    p.btn_sysUpDate = named(new QPushButton("Обновить"), "btn_sysUpDate");
    notWiredYet({p.btn_sysUpDate});
    bottom->addWidget(p.btn_sysUpDate);
    bottom->addStretch();
    v->addLayout(bottom);
    v->addWidget(caption(kFooter));
    return page;
}

QWidget* identTab(MainPages& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.lbIdMod = named(new QListWidget, "lbIdMod");
    p.lbIdMod->setAccessibleName("lbIdMod");
    p.lbIdMod->setFont(gui::namedFont("Courier New", 9, true));
    v->addWidget(p.lbIdMod, 1);
    v->addWidget(refreshGroup(p.sbUpDateId, "sbUpDateId", p.cbAutoApDateId, "cbAutoApDateId",
                              p.cbPapId, "cbPapId", {"  1 сек", "  2 сек", "  5 сек", "10 сек"}));
    return tab;
}

QWidget* flashTab(MainPages& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.sgFL = new views::MemoryGrid("sgFL", 4);
    p.sgFL->setAccessibleName("sgFL");
    v->addWidget(p.sgFL, 1);
    v->addWidget(caption(kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.cbBottomAdrFL = fixedList("cbBottomAdrFL", {"2000", "4000"});
    h->addWidget(labelled("Нач адрес", p.cbBottomAdrFL));
    p.edAdrFL = named(new QLineEdit("2000"), "edAdrFL");
    p.edAdrFL->setAccessibleName("edAdrFL");
    p.edAdrFL->setMaxLength(4);
    h->addWidget(labelled("Адрес", p.edAdrFL));
    auto* up = named(new QPushButton("▲"), "spFL_Up");
    auto* down = named(new QPushButton("▼"), "spFL_Down");
    h->addWidget(up);
    h->addWidget(down);
    p.sbUpDateFL = named(new QPushButton("Обновить"), "sbUpDateFL");
    notWiredYet({up, down, p.sbUpDateFL, p.cbBottomAdrFL, p.edAdrFL});
    h->addWidget(p.sbUpDateFL);
    p.sbStopRec = named(new QPushButton("СТОП"), "sbStopRec");
    p.sbStopRec->hide();
    h->addWidget(p.sbStopRec);
    p.PanelRec = named(caption("Идет запись !"), "PanelRec");
    p.PanelRec->hide();
    h->addWidget(p.PanelRec);
    p.btnRecFromMemory = named(new QPushButton("Запись"), "btnRecFromMemory");
    p.btnRecFromMemory->hide();
    h->addWidget(p.btnRecFromMemory);
    v->addLayout(h);
    return tab;
}

QWidget* ramTab(MainPages& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.sgRAM = new views::MemoryGrid("sgRAM", 3);
    p.sgRAM->setAccessibleName("sgRAM");
    p.sgRAM->setToolTip("RAM");
    v->addWidget(p.sgRAM, 1);
    p.lbValRAM = named(new QLabel, "lbValRAM");
    p.lbValRAM->setAccessibleName("lbValRAM");
    v->addWidget(p.lbValRAM);
    v->addWidget(caption(kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.edAdrRAM = named(new QLineEdit("000"), "edAdrRAM");
    p.edAdrRAM->setAccessibleName("edAdrRAM");
    p.edAdrRAM->setReadOnly(true);
    p.edAdrRAM->setMaxLength(8);
    auto* address = labelled("Адрес RAM", p.edAdrRAM);
    p.Label16 = address->findChild<QLabel*>();
    p.Label16->setObjectName("Label16");
    h->addWidget(address);
    p.cbRangRAM = fixedList(
        "cbRangRAM", {"000...0FF", "100...1FF", "200...2FF", "300...3FF", "400...4FF", "500..5FF",
                      "600..6FF", "700..7FF", "800..8FF", "900..9FF", "A00..AFF", "B00..BFF",
                      "C00..CFF", "D00..DFF", "E00..EFF", "F00..F7F/F80...FFF (SFR)"});
    h->addWidget(labelled("Диапазон RAM", p.cbRangRAM));
    notWiredYet({p.cbRangRAM});
    v->addLayout(h);
    v->addWidget(refreshGroup(p.sbUpDateRAM, "sbUpDateRAM", p.cbAutoApDateRAM, "cbAutoApDateRAM",
                              p.cbPapRAM, "cbPapRAM",
                              {"500 мс", "  1 сек", "  2 сек", "  5 сек", "10 сек"}));
    return tab;
}

QWidget* eepromTab(MainPages& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.sgEE = new views::MemoryGrid("sgEE", 3);
    p.sgEE->setAccessibleName("sgEE");
    v->addWidget(p.sgEE, 1);
    v->addWidget(caption(kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.edAdrEE = named(new QLineEdit("000"), "edAdrEE");
    p.edAdrEE->setAccessibleName("edAdrEE");
    p.edAdrEE->setMaxLength(3);
    h->addWidget(labelled("Адрес", p.edAdrEE));
    p.cbRangEE = fixedList("cbRangEE", {"000...0FF", "100...1FF", "200...2FF", "300...3FF"});
    h->addWidget(labelled("Диапазон адресов", p.cbRangEE));
    p.sbUpDateSE = named(new QPushButton("Обновить"), "sbUpDateSE");
    notWiredYet({p.sbUpDateSE, p.cbRangEE, p.edAdrEE});
    h->addWidget(p.sbUpDateSE);
    v->addLayout(h);
    return tab;
}

QWidget* sfrTab(MainPages& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.sfrTopPanel = new QWidget;
    auto* top = new QVBoxLayout(p.sfrTopPanel);
    top->setContentsMargins(0, 0, 0, 0);
    p.lbSFR = named(new QListWidget, "lbSFR");
    p.lbSFR->setAccessibleName("lbSFR");
    p.lbSFR->setFont(gui::namedFont("Courier New", 9, true));
    top->addWidget(p.lbSFR);
    v->addWidget(p.sfrTopPanel, 1);
    v->addWidget(caption(kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.edAdrSFR = named(new QLineEdit, "edAdrSFR");
    p.edAdrSFR->setAccessibleName("edAdrSFR");
    p.edAdrSFR->setReadOnly(true);
    h->addWidget(labelled("Адрес ", p.edAdrSFR));
    p.sbUpDateSFR = named(new QPushButton("Обновить"), "sbUpDateSFR");
    notWiredYet({p.sbUpDateSFR});
    h->addWidget(p.sbUpDateSFR);
    h->addStretch();
    v->addLayout(h);
    return tab;
}

QWidget* modulePage(MainPages& p) {
    auto* page = named(new QWidget, "tsModul");
    auto* v = new QVBoxLayout(page);
    v->addWidget(caption("******* Мониторинг *******"));
    p.pcMon = named(new QTabWidget, "pcMon");
    p.pcMon->setAccessibleName("pcMon");
    p.pcMon->addTab(identTab(p), "  Ident  ");
    p.pcMon->addTab(flashTab(p), "  Flash  ");
    p.pcMon->addTab(ramTab(p), "  RAM/SFR  ");
    p.pcMon->addTab(eepromTab(p), "  EEPROM  ");
    p.pcMon->addTab(sfrTab(p), "  SFR  ");
    v->addWidget(p.pcMon, 1);
    v->addWidget(caption(kFooter));
    return page;
}

QWidget* terminalPage(MainPages& p) {
    auto* page = named(new QWidget, "TabSheet13");
    auto* v = new QVBoxLayout(page);
    v->setSpacing(0);
    p.reProt = new console::ProtocolLogPane;
    p.reProt->setAccessibleName("reProt");
    v->addWidget(p.reProt, 1);
    p.Label2 = named(caption("Командная строка"), "Label2");
    p.Label2->setStyleSheet("QLabel { color: yellow; background: blue; font-weight: bold; }");
    v->addWidget(p.Label2);
    p.PanKom = named(new QWidget, "PanKom");
    p.PanKom->setFixedHeight(23);
    auto* kom = new QHBoxLayout(p.PanKom);
    kom->setContentsMargins(0, 0, 2, 0);  // the command line is the panel's width less 2 px
    p.cbKomStr = named(new QComboBox(p.PanKom), "cbKomStr");
    p.cbKomStr->setAccessibleName("cbKomStr");
    kom->addWidget(p.cbKomStr);
    p.cbKomStr->setEditable(true);
    p.cbKomStr->lineEdit()->setAccessibleName("cbKomStr");
    p.cbKomStr->setInsertPolicy(QComboBox::NoInsert);
    QPalette tip = p.cbKomStr->palette();
    tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
    p.cbKomStr->setPalette(tip);
    v->addWidget(p.PanKom);
    p.pHint = named(new gui::ElidedLabel, "pHint");
    p.pHint->setAccessibleName("pHint");
    p.pHint->setFixedHeight(18);
    p.pHint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    v->addWidget(p.pHint);
    return page;
}

}  // namespace

MainPages buildMainPages(QWidget* parent) {
    MainPages p;
    p.pcChan = named(new QTabWidget(parent), "pcChan");
    p.pcChan->setAccessibleName("pcChan");
    p.pcChan->setTabPosition(QTabWidget::South);
    QFont bold = p.pcChan->font();
    bold.setBold(true);
    p.pcChan->tabBar()->setFont(bold);
    p.pcChan->setStyleSheet("QTabWidget#pcChan > QTabBar::tab { width: 140px; }");
    p.tsSysem = systemPage(p);
    p.tsModul = modulePage(p);
    p.TabSheet13 = terminalPage(p);
    p.pcChan->addTab(p.tsSysem, "    Система       ");
    p.pcChan->addTab(p.tsModul, "  Модуль  ");
    p.pcChan->addTab(p.TabSheet13, "Терминал");
    return p;
}

}  // namespace velmora::app
