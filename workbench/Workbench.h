#pragma once
// What the pages and tool windows of one running program share: the link, the module
// the user works on, the scan's flags, the views' cursors, the nodes a scan asks and the
// protocol log.
// The main window owns it and hands it to every subsystem it assembles; no subsystem
// reaches for the window itself.

#include "console/ProtocolLog.h"
#include "link/qt/LinkSession.h"
#include "symbols/gui/ProjectSymbols.h"
#include "system/CurrentModule.h"
#include "system/NodeRange.h"
#include "system/ScanState.h"
#include "views/ViewAddresses.h"

namespace velmora::workbench {

class WindowServices;

class Workbench {
public:
    Workbench(link::LinkSession& session, WindowServices& window)
        : session_(session), window_(window) {}
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    link::LinkSession& session() { return session_; }
    link::TransactionEngine& engine() { return session_.engine(); }
    // What the pages ask of the window they sit in.
    WindowServices& window() { return window_; }

    system::CurrentModule module;
    system::ScanState scan;
    views::ViewAddresses addresses;
    system::NodeRange scanRange;  // "Диапазон сканирования...", kept in the settings
    // The protocol log's lines, kept whether or not the Terminal page is built.
    console::ProtocolLogModel log;
    // The names of the project's symbol file ("Файл символов...", kept in the settings).
    symbols::gui::ProjectSymbols symbols;

private:
    link::LinkSession& session_;
    WindowServices& window_;
};

}  // namespace velmora::workbench
