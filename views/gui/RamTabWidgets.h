#pragma once
// The RAM tab of the Module page. The subsystem that gives the page its behaviour binds to these
// controls; this file only lays them out.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

#include "views/gui/MemoryGrid.h"
#include "views/gui/TActvePanel.h"

namespace velmora::views {

struct RamTabWidgets {
    MemoryGrid* sgRAM = nullptr;
    QLabel* lbValRAM = nullptr;
    QLabel* Label16 = nullptr;
    QLineEdit* edAdrRAM = nullptr;
    QComboBox* cbRangRAM = nullptr;
    QPushButton* sbUpDateRAM = nullptr;
    QCheckBox* cbAutoApDateRAM = nullptr;
    QComboBox* cbPapRAM = nullptr;
    QWidget* pnBtnRam = nullptr;
    std::array<TActvePanel*, 16> pnRAM{};  // pnRAM0 .. pnRAMF
};

// Builds the page into `p` and returns it.
QWidget* buildRamTab(RamTabWidgets& p);

}  // namespace velmora::views
