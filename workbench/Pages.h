#pragma once
// The main window's pages and the Module page's tabs, in the order they are shown.

namespace velmora::workbench {

enum MainPage : int { kSystemPage = 0, kModulePage = 1, kTerminalPage = 2 };
enum ModuleTabIndex : int {
    kIdentTab = 0,
    kFlashTab = 1,
    kRamTab = 2,
    kEepromTab = 3,
    kSfrTab = 4,
    kModuleTabCount = 5
};

}  // namespace velmora::workbench
