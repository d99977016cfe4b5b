#include "console/gui/TerminalPageWidgets.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"
#include "common/gui/ElidedLabel.h"

namespace velmora::console {

void buildTerminalPage(TerminalPageWidgets& p, QWidget* page) {
    p.TabSheet13 = page;
    auto* v = new QVBoxLayout(page);
    v->setSpacing(0);
    p.reProt = new ProtocolLogPane;
    p.reProt->setAccessibleName("Протокол обмена");
    v->addWidget(p.reProt, 1);
    p.Label2 = gui::named(gui::caption("Командная строка"), "Label2");
    p.Label2->setStyleSheet("QLabel { color: yellow; background: blue; font-weight: bold; }");
    v->addWidget(p.Label2);
    p.PanKom = gui::named(new QWidget, "PanKom");
    p.PanKom->setFixedHeight(23);
    auto* kom = new QHBoxLayout(p.PanKom);
    kom->setContentsMargins(0, 0, 2, 0);  // the command line is the panel's width less 2 px
    p.cbKomStr = gui::named(new QComboBox(p.PanKom), "cbKomStr");
    p.cbKomStr->setAccessibleName("Командная строка");
    kom->addWidget(p.cbKomStr);
    p.cbKomStr->setEditable(true);
    p.cbKomStr->lineEdit()->setAccessibleName("Командная строка");
    p.cbKomStr->setInsertPolicy(QComboBox::NoInsert);
    QPalette tip = p.cbKomStr->palette();
    tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
    p.cbKomStr->setPalette(tip);
    v->addWidget(p.PanKom);
    p.pHint = gui::named(new gui::ElidedLabel, "pHint");
    p.pHint->setAccessibleName("Подсказка формата команды");
    p.pHint->setFixedHeight(18);
    p.pHint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    v->addWidget(p.pHint);
    // Children added to a page already on the screen are not shown by themselves.
    for (QWidget* w : {static_cast<QWidget*>(p.reProt), static_cast<QWidget*>(p.Label2), p.PanKom,
                       static_cast<QWidget*>(p.pHint)})
        w->show();
    v->activate();
}

}  // namespace velmora::console
