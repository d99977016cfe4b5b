#pragma once
// The System page: the system tree, the scan panel and its buttons. The subsystem that gives the page its behaviour binds to these
// controls; this file only lays them out.

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "system/gui/PieGauge.h"

namespace velmora::system {

struct SystemPageWidgets {
    QWidget* tsSysem = nullptr;
    QTreeWidget* tvSysInf = nullptr;
    QTreeWidgetItem* treeRoot = nullptr;
    QPushButton* btn_sysUpDate = nullptr;
    QWidget* pSkan = nullptr;
    PieGauge* Gauge1 = nullptr;
    PieGauge* Gauge2 = nullptr;
    QLabel* gauge1Label = nullptr;  // "Modbus  " and the port speed during a scan
    QPushButton* btnStopSkan = nullptr;
};

// Builds the page into `p` and returns it.
QWidget* buildSystemPage(SystemPageWidgets& p);

}  // namespace velmora::system
