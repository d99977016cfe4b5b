#pragma once
// The main window's three pages. Each page's (and each Module tab's) widgets are laid out
// beside the subsystem that gives them their behaviour; the frame only assembles them
// into the page controls `pcChan` and `pcMon`.
//
// The Module page's five tabs are most of the window's widgets and are hidden at start,
// so `tsModul` starts empty and is filled by buildModulePage() when first needed; the
// Terminal page `TabSheet13` likewise by buildTerminalPage().

#include <QTabWidget>

#include "console/gui/TerminalPageWidgets.h"
#include "system/gui/IdentTabWidgets.h"
#include "system/gui/SystemPageWidgets.h"
#include "views/gui/EepromTabWidgets.h"
#include "views/gui/FlashTabWidgets.h"
#include "views/gui/RamTabWidgets.h"
#include "views/gui/SfrTabWidgets.h"

namespace velmora::app {

struct MainPages : system::SystemPageWidgets,
                   system::IdentTabWidgets,
                   views::FlashTabWidgets,
                   views::RamTabWidgets,
                   views::EepromTabWidgets,
                   views::SfrTabWidgets,
                   console::TerminalPageWidgets {
    QTabWidget* pcChan = nullptr;
    QWidget* tsModul = nullptr;
    QTabWidget* pcMon = nullptr;
};

// The System and Terminal pages, and the Module page's empty frame.
MainPages buildMainPages(QWidget* parent);

// Fills the Module page: its caption, `pcMon` with its five tabs, and its footer. Called
// once; `pcMon` is set from then on.
void buildModulePage(MainPages& pages);
// Fills the Terminal page: the log, the command line, the hint. Called once; `reProt` is
// set from then on.
void buildTerminalPage(MainPages& pages);

}  // namespace velmora::app
