#include "system/gui/IdentTabWidgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"
#include "common/gui/Fonts.h"

namespace velmora::system {

QWidget* buildIdentTab(IdentTabWidgets& p) {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    p.lbIdMod = gui::named(new QListWidget, "lbIdMod");
    p.lbIdMod->setAccessibleName("Идентификатор модуля");
    p.lbIdMod->setFont(gui::namedFont("Courier New", 9, true));
    v->addWidget(p.lbIdMod, 1);
    v->addWidget(gui::refreshGroup(p.sbUpDateId, "sbUpDateId", p.cbAutoApDateId, "cbAutoApDateId",
                              p.cbPapId, "cbPapId", {"  1 сек", "  2 сек", "  5 сек", "10 сек"}));
    return tab;
}

}  // namespace velmora::system
