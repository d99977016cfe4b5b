#include "app/Subsystems.h"

#include "app/uVelmora.h"

namespace velmora::app {

std::unique_ptr<system::SystemPage> makeSystemPage(TFTerminal& w) {
    MainMenus& m = w.menus();
    system::SystemPageMenus menus;
    menus.saveConfig = m.mmSaveConfig;
    menus.loadConfig = m.mmLoadConfig;
    menus.lockedWhileScanning = {m.mmFile->menuAction(), m.mmSettings->menuAction()};
    menus.addNode = m.pmAddModulModbas;
    menus.initModule = {m.pmSys_InitModul, m.N14};
    menus.addNodeDialog = [&w] { return w.handSetConfig(); };
    return std::make_unique<system::SystemPage>(w.workbench(), w.systemWidgets(), std::move(menus));
}

std::unique_ptr<tools::BrowserWindows> makeBrowserWindows(TFTerminal& w) {
    return std::make_unique<tools::BrowserWindows>(
        w.workbench(), tools::BrowserMenus{w.menus().Browser1, w.menus().mmBrowser});
}

}  // namespace velmora::app
