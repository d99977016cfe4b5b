#pragma once
// The widgets of the main window's three pages. The subsystems that own a page's
// behaviour bind to these controls; this file only lays them out.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "console/ProtocolLogPane.h"
#include "views/MemoryGrid.h"

namespace velmora::app {

struct MainPages {
    QTabWidget* pcChan = nullptr;
    // System page
    QWidget* tsSysem = nullptr;
    QTreeWidget* tvSysInf = nullptr;
    QTreeWidgetItem* treeRoot = nullptr;
    QPushButton* btn_sysUpDate = nullptr;
    QWidget* pSkan = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QProgressBar* Gauge2 = nullptr;
    QLabel* gauge1Label = nullptr;
    QPushButton* btnStopSkan = nullptr;
    // Module page
    QWidget* tsModul = nullptr;
    QTabWidget* pcMon = nullptr;
    QListWidget* lbIdMod = nullptr;
    QPushButton* sbUpDateId = nullptr;
    QCheckBox* cbAutoApDateId = nullptr;
    QComboBox* cbPapId = nullptr;
    views::MemoryGrid* sgFL = nullptr;
    QComboBox* cbBottomAdrFL = nullptr;
    QLineEdit* edAdrFL = nullptr;
    QPushButton* sbUpDateFL = nullptr;
    QLabel* PanelRec = nullptr;
    QPushButton* sbStopRec = nullptr;
    QPushButton* btnRecFromMemory = nullptr;
    views::MemoryGrid* sgRAM = nullptr;
    QLabel* lbValRAM = nullptr;
    QLabel* Label16 = nullptr;
    QLineEdit* edAdrRAM = nullptr;
    QComboBox* cbRangRAM = nullptr;
    QPushButton* sbUpDateRAM = nullptr;
    QCheckBox* cbAutoApDateRAM = nullptr;
    QComboBox* cbPapRAM = nullptr;
    views::MemoryGrid* sgEE = nullptr;
    QLineEdit* edAdrEE = nullptr;
    QComboBox* cbRangEE = nullptr;
    QPushButton* sbUpDateSE = nullptr;
    QWidget* sfrTopPanel = nullptr;
    QListWidget* lbSFR = nullptr;
    QLineEdit* edAdrSFR = nullptr;
    QPushButton* sbUpDateSFR = nullptr;
    // Terminal page
    QWidget* TabSheet13 = nullptr;
    console::ProtocolLogPane* reProt = nullptr;
    QLabel* Label2 = nullptr;
    QWidget* PanKom = nullptr;
    QComboBox* cbKomStr = nullptr;
    QLabel* pHint = nullptr;
};

MainPages buildMainPages(QWidget* parent);

}  // namespace velmora::app
