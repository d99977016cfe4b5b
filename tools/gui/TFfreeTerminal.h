#pragma once
// "Терминал": the free terminal window. While it is open it borrows the program's port
// at 19200 bit/s with local echo off; closing gives the port back at its former speed.
// The screen is kept between openings.

#include <QDialog>

#include "link/qt/TnrComm.h"
#include "tools/gui/TnrTerminal.h"

namespace velmora::tools {

class TFfreeTerminal : public QDialog {
    Q_OBJECT
public:
    explicit TFfreeTerminal(link::TnrComm& comm, QWidget* parent = nullptr);

    static constexpr uint32_t kTerminalBaud = 19200;

    // `mmTerminal`: borrows the port, shows the window modally, gives the port back.
    void openOnPort();

    TnrTerminal* freeTerminal = nullptr;

private:
    link::TnrComm& comm_;
};

}  // namespace velmora::tools
