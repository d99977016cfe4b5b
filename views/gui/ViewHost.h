#pragma once
// What the memory tabs need of the main window: the link, the current module, the
// cursor addresses, the Module page change that re-reads the shown tab, the refresh
// timer and the menus an automatic refresh locks.

#include <QTimer>
#include <functional>
#include <vector>

#include "access/ModuleAddress.h"
#include "link/TransactionEngine.h"
#include "views/ViewAddresses.h"

class QAction;
class QWidget;

namespace velmora::symbols::gui {
class ProjectSymbols;
}

namespace velmora::views {

struct ViewHost {
    link::TransactionEngine* engine = nullptr;
    // Runs a user's action now, or once the link is free (never interleaved, never lost).
    std::function<void(std::function<void()>)> whenFree;
    std::function<access::ModuleAddress()> target;
    ViewAddresses* addresses = nullptr;
    // `pcMonChange`: leave every tab, read the shown one, focus it.
    std::function<void()> refreshPage;
    // The main window's `tmUpDate`.
    QTimer* tmUpDate = nullptr;
    // "Файл" and "Настройки", disabled while "Авто" is checked.
    std::vector<QAction*> lockedByAuto;
    // The names the RAM inspector gives addresses; none: no names.
    const symbols::gui::ProjectSymbols* symbols = nullptr;
    // Parent of the message boxes.
    QWidget* window = nullptr;
};

}  // namespace velmora::views
