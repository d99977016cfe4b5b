#include "app/WorkbenchSettings.h"

namespace velmora::app {

void applyWorkbenchSettings(const AppSettings& s, workbench::Workbench& bench, MainMenus& menus) {
    views::ViewAddresses& a = bench.addresses;
    a.FlashBottom = static_cast<uint16_t>(s.startAdrFlash);
    a.AdrFL = a.FlashBottom;
    menus.mmAutoskan->setChecked(s.autoScan);
    menus.mmProtTime->setChecked(s.logTimes);
    bench.scanRange = system::nodeRangeOrWhole(s.scanFirst, s.scanLast);
    bench.symbols.restore(s.symbolFile);
    menus.mmProt->setChecked(s.protocol);
}

void storeWorkbenchSettings(AppSettings& s, workbench::Workbench& bench, const MainMenus& menus) {
    s.startAdrFlash = bench.addresses.FlashBottom;
    s.autoScan = menus.mmAutoskan->isChecked();
    s.logTimes = menus.mmProtTime->isChecked();
    s.scanFirst = bench.scanRange.first;
    s.scanLast = bench.scanRange.last;
    s.symbolFile = bench.symbols.path();
    s.protocol = menus.mmProt->isChecked();
}

}  // namespace velmora::app
