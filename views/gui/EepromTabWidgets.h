#pragma once
// The EEPROM tab of the Module page. The subsystem that gives the page its behaviour binds to these
// controls; this file only lays them out.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <array>

#include "views/gui/MemoryGrid.h"
#include "views/gui/TActvePanel.h"

namespace velmora::views {

struct EepromTabWidgets {
    MemoryGrid* sgEE = nullptr;
    QLineEdit* edAdrEE = nullptr;
    QComboBox* cbRangEE = nullptr;
    QPushButton* sbUpDateSE = nullptr;
    QWidget* pnBtnEE = nullptr;
    std::array<TActvePanel*, 8> pnEE{};  // pnEE0 .. pnEE7, the first four shown
};

// Builds the page into `p` and returns it.
QWidget* buildEepromTab(EepromTabWidgets& p);

}  // namespace velmora::views
