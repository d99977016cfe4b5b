#include "system/gui/NodeCommands.h"

#include <QMessageBox>

#include "app/SpeedChoice.h"
#include "system/ModuleInit.h"
#include "system/NodeTable.h"
#include "system/gui/TFHandSetConfig.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::system {

NodeCommands::NodeCommands(app::TFTerminal& window, SystemTreeView& tree)
    : w_(window), tree_(tree) {
    app::MainMenus& m = w_.menus();
    for (QAction* a : {m.pmAddModulModbas, m.pmSys_InitModul, m.N14}) a->setEnabled(true);
    connect(m.pmAddModulModbas, &QAction::triggered, this,
            [this] { w_.afterReplyWait([this] { pmAddModulModbasClick(); }); });
    for (QAction* a : {m.pmSys_InitModul, m.N14})
        connect(a, &QAction::triggered, this,
                [this] { w_.afterReplyWait([this] { pmSys_InitModulClick(); }); });
}

void NodeCommands::pmAddModulModbasClick() {
    TFHandSetConfig* dialog = w_.handSetConfig();
    dialog->exec();
    if (!dialog->accepted()) return;
    addNode(static_cast<uint8_t>(dialog->nodeAddress()), dialog->speed());
}

void NodeCommands::addNode(uint8_t cid, uint32_t speed) {
    CurrentModule& m = w_.module();
    SystemTableRows rows = m.SystemTable;
    const HandAdd added = addNodeByHand(rows, cid);
    if (added.outcome == HandAdd::TableFull) {
        QMessageBox::critical(&w_, gui::kProgramCaption, "Превышен лимит количества узлов Modbus");
        return;
    }
    if (added.outcome == HandAdd::Added) {
        m.setTable(rows);
        tree_.addNode(cid, LabelStyle::Scan);
    } else {
        tree_.selectNode(added.row);
    }
    // The node talks at its own speed; the system speed in the settings stays.
    w_.Comm().setBaud(speed);
    w_.refreshSpeedMenu();
}

void NodeCommands::pmSys_InitModulClick() {
    initialiseModule(w_.engine(), w_.module().CurrentCID);
    // The module restarts at its configured speed; the port is set to it again.
    const auto& speeds = w_.menus().mmSpeed;
    for (size_t i = 2; i < speeds.size(); ++i)
        if (speeds[i]->isChecked()) w_.setSystemSpeed(app::kSystemSpeeds[i]);
}

}  // namespace velmora::system
