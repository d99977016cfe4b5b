#include "views/gui/RamTabWidgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"

namespace velmora::views {

QWidget* buildRamTab(RamTabWidgets& p) {
    auto* tab = new QWidget;
    auto* outer = new QHBoxLayout(tab);
    auto* v = new QVBoxLayout;
    outer->addLayout(v, 1);
    p.pnBtnRam = gui::named(new QWidget, "pnBtnRam");
    auto* column = new QVBoxLayout(p.pnBtnRam);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    column->addWidget(gui::caption("Диапазон RAM"));
    for (int i = 0; i < 16; ++i) {
        const QString caption = i == 15 ? QString("0xF00 ... 0xF7F/SFR")
                                        : QString("0x%1 ... 0x%2")
                                              .arg(i * 0x100, 3, 16, QChar('0'))
                                              .arg(i * 0x100 + 0xFF, 3, 16, QChar('0'))
                                              .toUpper()
                                              .replace("0X", "0x");
        p.pnRAM[static_cast<size_t>(i)] = new TActvePanel(caption, i);
        p.pnRAM[static_cast<size_t>(i)]->setObjectName("pnRAM" + QString::number(i, 16).toUpper());
        column->addWidget(p.pnRAM[static_cast<size_t>(i)]);
    }
    column->addStretch();
    // The column scrolls rather than set the window's least height.
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAccessibleName("Диапазоны RAM");
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(p.pnBtnRam);
    scroll->setMinimumWidth(p.pnBtnRam->sizeHint().width() + 16);
    outer->addWidget(scroll);
    p.sgRAM = new MemoryGrid("sgRAM", 3);
    p.sgRAM->setAccessibleName("Ячейки RAM");
    p.sgRAM->setToolTip("RAM");
    v->addWidget(p.sgRAM, 1);
    p.lbValRAM = gui::named(new QLabel, "lbValRAM");
    v->addWidget(p.lbValRAM);
    v->addWidget(gui::caption(gui::kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.edAdrRAM = gui::named(new QLineEdit("000"), "edAdrRAM");
    p.edAdrRAM->setAccessibleName("Адрес RAM");
    p.edAdrRAM->setReadOnly(true);
    p.edAdrRAM->setMaxLength(8);
    auto* address = gui::labelled("Адрес RAM", p.edAdrRAM);
    p.Label16 = address->findChild<QLabel*>();
    p.Label16->setObjectName("Label16");
    h->addWidget(address);
    p.cbRangRAM = gui::fixedList(
        "cbRangRAM", {"000...0FF", "100...1FF", "200...2FF", "300...3FF", "400...4FF", "500..5FF",
                      "600..6FF", "700..7FF", "800..8FF", "900..9FF", "A00..AFF", "B00..BFF",
                      "C00..CFF", "D00..DFF", "E00..EFF", "F00..F7F/F80...FFF (SFR)"});
    h->addWidget(gui::labelled("Диапазон RAM", p.cbRangRAM));
    h->addStretch();
    v->addLayout(h);
    v->addWidget(gui::refreshGroup(p.sbUpDateRAM, "sbUpDateRAM", p.cbAutoApDateRAM,
                                   "cbAutoApDateRAM", p.cbPapRAM, "cbPapRAM",
                                   {"500 мс", "  1 сек", "  2 сек", "  5 сек", "10 сек"}));
    return tab;
}

}  // namespace velmora::views
