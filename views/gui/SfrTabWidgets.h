#pragma once
// The SFR tab of the Module page. The subsystem that gives the page its behaviour binds to these
// controls; this file only lays them out.

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "views/gui/MemoryGrid.h"

namespace velmora::views {

struct SfrTabWidgets {
    QWidget* sfrTopPanel = nullptr;
    QListWidget* lbSFR = nullptr;
    QLineEdit* edAdrSFR = nullptr;
    QPushButton* sbUpDateSFR = nullptr;
};

// Builds the page into `p` and returns it.
QWidget* buildSfrTab(SfrTabWidgets& p);

}  // namespace velmora::views
