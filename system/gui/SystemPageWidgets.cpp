#include "system/gui/SystemPageWidgets.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"
#include "common/gui/ImageList.h"

namespace velmora::system {

QWidget* buildSystemPage(SystemPageWidgets& p) {
    auto* page = gui::named(new QWidget, "tsSysem");
    auto* v = new QVBoxLayout(page);
    v->addWidget(new QLabel("В системе обнаружены модули с адресами:"));
    auto* middle = new QHBoxLayout;
    p.tvSysInf = gui::named(new QTreeWidget, "tvSysInf");
    p.tvSysInf->setAccessibleName("Модули системы");
    p.tvSysInf->setHeaderHidden(true);
    p.tvSysInf->setIndentation(45);
    p.tvSysInf->setEditTriggers(QAbstractItemView::NoEditTriggers);
    p.treeRoot = new QTreeWidgetItem(p.tvSysInf, QStringList{"  Modbus           i2c"});
    p.treeRoot->setIcon(0, gui::imageIcon(gui::kImgTreeRoot));
    middle->addWidget(p.tvSysInf, 1);

    p.pSkan = gui::named(new QWidget, "pSkan");
    auto* scan = new QVBoxLayout(p.pSkan);
    scan->addWidget(gui::caption("Мультисканер"));
    scan->addWidget(gui::caption("i2c"));
    p.Gauge2 = new PieGauge("Gauge2");
    p.Gauge2->setAccessibleName("Опрос шины i2c");
    p.Gauge2->setRange(0, 256);
    scan->addWidget(p.Gauge2, 0, Qt::AlignHCenter);
    p.gauge1Label = gui::caption("Modbus");
    scan->addWidget(p.gauge1Label);
    p.Gauge1 = new PieGauge("Gauge1");
    p.Gauge1->setAccessibleName("Опрос узлов Modbus");
    p.Gauge1->setRange(0, 256);
    scan->addWidget(p.Gauge1, 0, Qt::AlignHCenter);
    p.btnStopSkan = gui::named(new QPushButton("Отмена"), "btnStopSkan");
    p.btnStopSkan->setAccessibleName("Отмена");
    scan->addWidget(p.btnStopSkan);
    scan->addStretch();
    p.pSkan->hide();
    middle->addWidget(p.pSkan);
    v->addLayout(middle, 1);

    auto* bottom = new QHBoxLayout;
    p.btn_sysUpDate = gui::named(new QPushButton("Обновить"), "btn_sysUpDate");
    gui::notWiredYet({p.btn_sysUpDate});
    bottom->addWidget(p.btn_sysUpDate);
    bottom->addStretch();
    v->addLayout(bottom);
    v->addWidget(gui::caption(gui::kPageFooter));
    return page;
}

}  // namespace velmora::system
