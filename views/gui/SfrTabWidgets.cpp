#include "views/gui/SfrTabWidgets.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/gui/Fonts.h"
#include "common/gui/PageParts.h"

namespace velmora::views {

QWidget* buildSfrTab(SfrTabWidgets& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.sfrTopPanel = new QWidget;
    auto* top = new QVBoxLayout(p.sfrTopPanel);
    top->setContentsMargins(0, 0, 0, 0);
    p.lbSFR = gui::named(new QListWidget, "lbSFR");
    p.lbSFR->setAccessibleName("Регистры SFR");
    p.lbSFR->setFont(gui::namedFont("Courier New", 9, true));
    top->addWidget(p.lbSFR);
    v->addWidget(p.sfrTopPanel, 1);
    v->addWidget(gui::caption(gui::kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.edAdrSFR = gui::named(new QLineEdit, "edAdrSFR");
    p.edAdrSFR->setAccessibleName("Адрес SFR");
    p.edAdrSFR->setReadOnly(true);
    h->addWidget(gui::labelled("Адрес ", p.edAdrSFR));
    p.sbUpDateSFR = gui::named(new QPushButton("Обновить"), "sbUpDateSFR");
    h->addWidget(p.sbUpDateSFR);
    h->addStretch();
    v->addLayout(h);
    return tab;
}

}  // namespace velmora::views
