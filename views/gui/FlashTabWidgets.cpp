#include "views/gui/FlashTabWidgets.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"

namespace velmora::views {

QWidget* buildFlashTab(FlashTabWidgets& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.sgFL = new MemoryGrid("sgFL", 4);
    p.sgFL->setAccessibleName("Ячейки Flash");
    v->addWidget(p.sgFL, 1);
    v->addWidget(gui::caption(gui::kMonitorTitle));
    auto* h = new QHBoxLayout;
    p.cbBottomAdrFL = gui::fixedList("cbBottomAdrFL", {"2000", "4000"});
    h->addWidget(gui::labelled("Нач адрес", p.cbBottomAdrFL));
    p.edAdrFL = gui::named(new QLineEdit("2000"), "edAdrFL");
    p.edAdrFL->setAccessibleName("Адрес Flash");
    p.edAdrFL->setMaxLength(4);
    h->addWidget(gui::labelled("Адрес", p.edAdrFL));
    p.spFL_Up = gui::named(new QPushButton("▲"), "spFL_Up");
    p.spFL_Up->setAccessibleName("Страница Flash вверх");
    p.spFL_Down = gui::named(new QPushButton("▼"), "spFL_Down");
    p.spFL_Down->setAccessibleName("Страница Flash вниз");
    h->addWidget(p.spFL_Up);
    h->addWidget(p.spFL_Down);
    p.sbUpDateFL = gui::named(new QPushButton("Обновить"), "sbUpDateFL");
    h->addWidget(p.sbUpDateFL);
    p.sbStopRec = gui::named(new QPushButton("СТОП"), "sbStopRec");
    p.sbStopRec->hide();
    h->addWidget(p.sbStopRec);
    p.PanelRec = gui::named(gui::caption("Идет запись !"), "PanelRec");
    p.PanelRec->hide();
    h->addWidget(p.PanelRec);
    p.btnRecFromMemory = gui::named(new QPushButton("Запись"), "btnRecFromMemory");
    p.btnRecFromMemory->hide();
    h->addWidget(p.btnRecFromMemory);
    h->addStretch();
    v->addLayout(h);
    return tab;
}

}  // namespace velmora::views
