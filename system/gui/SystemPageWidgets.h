#pragma once
// The System page: the system tree, the scan panel and its buttons. The subsystem that gives the page its behaviour binds to these
// controls; this file only lays them out.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace velmora::system {

struct SystemPageWidgets {
    QWidget* tsSysem = nullptr;
    QTreeWidget* tvSysInf = nullptr;
    QTreeWidgetItem* treeRoot = nullptr;
    QPushButton* btn_sysUpDate = nullptr;
    QWidget* pSkan = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QProgressBar* Gauge2 = nullptr;
    QLabel* gauge1Label = nullptr;
    QPushButton* btnStopSkan = nullptr;
};

// Builds the page into `p` and returns it.
QWidget* buildSystemPage(SystemPageWidgets& p);

}  // namespace velmora::system
