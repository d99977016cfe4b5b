#include "tools/gui/TFfreeTerminal.h"

#include <QVBoxLayout>

#include "common/gui/ToolWindowPlace.h"

namespace velmora::tools {

TFfreeTerminal::TFfreeTerminal(link::TnrComm& comm, QWidget* parent)
    : QDialog(parent), comm_(comm) {
    setObjectName("TFfreeTerminal");
    setWindowTitle("Терминал");
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    freeTerminal = new TnrTerminal(this);
    v->addWidget(freeTerminal);
    freeTerminal->setSender([this](const QByteArray& bytes) { comm_.typed(bytes); });
    resize(696, 480);
}

void TFfreeTerminal::openOnPort() {
    const uint32_t before = comm_.baud();
    comm_.setBaud(kTerminalBaud);
    comm_.attachTerminal(freeTerminal, false);
    gui::placeToolWindow(this, parentWidget());
    freeTerminal->setFocus();
    exec();
    comm_.detachTerminal();
    comm_.setBaud(before);
}

}  // namespace velmora::tools
