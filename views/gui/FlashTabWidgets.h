#pragma once
// The Flash tab of the Module page. The subsystem that gives the page its behaviour binds to these
// controls; this file only lays them out.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "views/gui/MemoryGrid.h"

namespace velmora::views {

struct FlashTabWidgets {
    MemoryGrid* sgFL = nullptr;
    QComboBox* cbBottomAdrFL = nullptr;
    QLineEdit* edAdrFL = nullptr;
    QPushButton* spFL_Up = nullptr;
    QPushButton* spFL_Down = nullptr;
    QPushButton* sbUpDateFL = nullptr;
    QLabel* PanelRec = nullptr;
    QPushButton* sbStopRec = nullptr;
    QPushButton* btnRecFromMemory = nullptr;
};

// Builds the page into `p` and returns it.
QWidget* buildFlashTab(FlashTabWidgets& p);

}  // namespace velmora::views
