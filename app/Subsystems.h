#pragma once
// The subsystems the program assembles into its window, each given the workbench, its
// own widgets and its own menu entries.

#include <memory>

#include "system/gui/SystemPage.h"
#include "tools/gui/BrowserWindows.h"

namespace velmora::app {

class TFTerminal;

std::unique_ptr<system::SystemPage> makeSystemPage(TFTerminal& window);
std::unique_ptr<tools::BrowserWindows> makeBrowserWindows(TFTerminal& window);

}  // namespace velmora::app
