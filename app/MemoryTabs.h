#pragma once
// The four memory tabs of the Module page (Flash, RAM, EEPROM, SFR), bound to the main
// window's controls and plugged into its Module-tab seam. Owned by the window.

#include <QObject>

#include "views/gui/EepromView.h"
#include "views/gui/FlashView.h"
#include "views/gui/RamView.h"
#include "views/gui/SfrView.h"

namespace velmora::app {

class TFTerminal;

class MemoryTabs : public QObject {
    Q_OBJECT
public:
    explicit MemoryTabs(TFTerminal& window);

    views::FlashView flash;
    views::RamView ram;
    views::EepromView eeprom;
    views::SfrView sfr;
};

// Makes the tabs (children of the window) and hands them to it when its Module page is
// built, or at once if it already is.
void installMemoryTabs(TFTerminal& window);

// The tabs installed in `window`, building its Module page if need be; none: nullptr.
MemoryTabs* memoryTabs(TFTerminal& window);

}  // namespace velmora::app
