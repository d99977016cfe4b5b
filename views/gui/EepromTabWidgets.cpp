#include "views/gui/EepromTabWidgets.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"

namespace velmora::views {

QWidget* buildEepromTab(EepromTabWidgets& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.sgEE = new MemoryGrid("sgEE", 3);
    p.sgEE->setAccessibleName("sgEE");
    v->addWidget(p.sgEE, 1);
    v->addWidget(gui::caption(gui::kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.edAdrEE = gui::named(new QLineEdit("000"), "edAdrEE");
    p.edAdrEE->setAccessibleName("edAdrEE");
    p.edAdrEE->setMaxLength(3);
    h->addWidget(gui::labelled("Адрес", p.edAdrEE));
    p.cbRangEE = gui::fixedList("cbRangEE", {"000...0FF", "100...1FF", "200...2FF", "300...3FF"});
    h->addWidget(gui::labelled("Диапазон адресов", p.cbRangEE));
    p.sbUpDateSE = gui::named(new QPushButton("Обновить"), "sbUpDateSE");
    gui::notWiredYet({p.sbUpDateSE, p.cbRangEE, p.edAdrEE});
    h->addWidget(p.sbUpDateSE);
    v->addLayout(h);
    return tab;
}

}  // namespace velmora::views
