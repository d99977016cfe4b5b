#include "app/MemoryTabs.h"

#include "app/uVelmora.h"

namespace velmora::app {

namespace {

views::ViewHost hostOf(TFTerminal& w) {
    views::ViewHost h;
    h.engine = &w.engine();
    h.whenFree = [&w](std::function<void()> action) { w.session().whenFree(std::move(action)); };
    h.target = [&w] {
        const system::CurrentModule& m = w.module();
        return access::ModuleAddress{m.CurrentCID, m.CurrentSlaveAdr, m.SelectionLevel};
    };
    h.addresses = &w.addresses();
    h.symbols = &w.workbench().symbols;
    h.refreshPage = [&w] { w.pcMonChange(); };
    h.tmUpDate = &w.tmUpDate();
    h.lockedByAuto = {w.menus().mmFile->menuAction(), w.menus().mmSettings->menuAction()};
    h.window = &w;
    return h;
}

}  // namespace

MemoryTabs::MemoryTabs(TFTerminal& w)
    : QObject(&w),
      flash(hostOf(w), w.pages()),
      ram(hostOf(w), w.pages(), w.showVar(), w.menus().pmRAM_ShowVar),
      eeprom(hostOf(w), w.pages()),
      sfr(hostOf(w), w.pages()) {}

void installMemoryTabs(TFTerminal& w) {
    w.whenModulePageBuilt([&w] {
        auto* tabs = new MemoryTabs(w);
        tabs->setObjectName("MemoryTabs");
        w.setModuleTab(kFlashTab, &tabs->flash);
        w.setModuleTab(kRamTab, &tabs->ram);
        w.setModuleTab(kEepromTab, &tabs->eeprom);
        w.setModuleTab(kSfrTab, &tabs->sfr);
    });
}

MemoryTabs* memoryTabs(TFTerminal& w) {
    w.ensureModulePage();
    return w.findChild<MemoryTabs*>("MemoryTabs", Qt::FindDirectChildrenOnly);
}

}  // namespace velmora::app
