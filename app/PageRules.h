#pragma once
// Which page the main window may show, what a page change switches on and off, and what
// each function key does. The main window applies these outcomes to its widgets.

#include <cstdint>

#include "workbench/Pages.h"

namespace velmora::app {

using workbench::MainPage;
using workbench::ModuleTabIndex;
using enum workbench::MainPage;
using enum workbench::ModuleTabIndex;

struct PageFlags {
    bool systemIdle = true;  // no bus scan runs
    bool autoRam = false;    // "Авто" of the RAM tab
    bool autoId = false;     // "Авто" of the identifier tab
    uint8_t selectionLevel = 0;
    bool scanPanelVisible = false;
};

// A click on a main tab is refused while a scan runs or either "Авто" box is checked.
bool mainPageChangeAllowed(const PageFlags& f);
// A click on a Module tab is refused while either "Авто" box is checked.
bool modulePageChangeAllowed(const PageFlags& f);

struct MainPageOutcome {
    int shownPage = kSystemPage;  // the Module page without a selection falls back
    bool toolsMenuEnabled = false;
    bool hexItemsEnabled = false;
    bool focusCommandLine = false;
    bool runModulePageChange = false;
};
MainPageOutcome mainPageChange(int chosenPage, int previousPage, int moduleTab,
                               uint8_t selectionLevel);

enum class ClearFlashItem { Show, Hide, Keep };
// The shown tab reads its own data; what the frame switches besides:
struct ModuleTabOutcome {
    bool hexItemsEnabled = false;
    ClearFlashItem clearFlash = ClearFlashItem::Keep;
};
ModuleTabOutcome modulePageChange(int tab);

enum class FKey { F1, F5, F6, F7, F8, F9, Escape, Other };
enum class KeyAction {
    None,
    ShowHelp,          // F1; only when the help file exists
    ModuleTab,         // switch the Module tab (keyTab) and run the Module page change
    SystemPageChange,  // System page and the main page change
    ShowModulePage,    // only shown: no page-change processing
    ShowTerminalPage,  // only shown: no page-change processing
    StopScan,
    PassToModulePage,  // the current Module tab's own keys
};
struct KeyOutcome {
    KeyAction action = KeyAction::None;
    int tab = kIdentTab;
};
// `shiftOnly`: Shift without Ctrl or Alt.
KeyOutcome keyAction(FKey key, bool shiftOnly, int mainPage, const PageFlags& f);

}  // namespace velmora::app
