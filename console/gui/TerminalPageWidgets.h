#pragma once
// The Terminal page: the protocol log, the command line and the hint line. The subsystem that gives the page its behaviour binds to these
// controls; this file only lays them out.

#include <QComboBox>
#include <QLabel>

#include "console/gui/ProtocolLogPane.h"

namespace velmora::console {

struct TerminalPageWidgets {
    QWidget* TabSheet13 = nullptr;
    ProtocolLogPane* reProt = nullptr;
    QLabel* Label2 = nullptr;
    QWidget* PanKom = nullptr;
    QComboBox* cbKomStr = nullptr;
    QLabel* pHint = nullptr;
};

// Builds the page into `p` and returns it.
QWidget* buildTerminalPage(TerminalPageWidgets& p);

}  // namespace velmora::console
