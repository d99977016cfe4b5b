#include "views/gui/RamTabWidgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"

namespace velmora::views {

QWidget* buildRamTab(RamTabWidgets& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.sgRAM = new MemoryGrid("sgRAM", 3);
    p.sgRAM->setAccessibleName("sgRAM");
    p.sgRAM->setToolTip("RAM");
    v->addWidget(p.sgRAM, 1);
    p.lbValRAM = gui::named(new QLabel, "lbValRAM");
    p.lbValRAM->setAccessibleName("lbValRAM");
    v->addWidget(p.lbValRAM);
    v->addWidget(gui::caption(gui::kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.edAdrRAM = gui::named(new QLineEdit("000"), "edAdrRAM");
    p.edAdrRAM->setAccessibleName("edAdrRAM");
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
    gui::notWiredYet({p.cbRangRAM});
    v->addLayout(h);
    v->addWidget(gui::refreshGroup(p.sbUpDateRAM, "sbUpDateRAM", p.cbAutoApDateRAM, "cbAutoApDateRAM",
                              p.cbPapRAM, "cbPapRAM",
                              {"500 мс", "  1 сек", "  2 сек", "  5 сек", "10 сек"}));
    return tab;
}

}  // namespace velmora::views
