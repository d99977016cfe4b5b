#pragma once
// What the settings file keeps of the workbench and of the menus' marks, taken over at
// the first activation and gathered again at the closing.

#include "app/AppSettings.h"
#include "app/MainMenus.h"
#include "workbench/Workbench.h"

namespace velmora::app {

void applyWorkbenchSettings(const AppSettings& s, workbench::Workbench& bench, MainMenus& menus);
void storeWorkbenchSettings(AppSettings& s, workbench::Workbench& bench, const MainMenus& menus);

}  // namespace velmora::app
