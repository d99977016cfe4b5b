#include "system/gui/NodeCommands.h"

#include <QAction>
#include <QMessageBox>

#include "system/ModuleInit.h"
#include "system/NodeTable.h"
#include "system/gui/TFHandSetConfig.h"
#include "common/gui/ProgramCaption.h"
#include "workbench/gui/WindowServices.h"

namespace velmora::system {

NodeCommands::NodeCommands(workbench::Workbench& bench, SystemTreeView& tree, NodeMenus m,
                           std::function<TFHandSetConfig*()> addNodeDialog)
    : bench_(bench), tree_(tree), addNodeDialog_(std::move(addNodeDialog)) {
    workbench::WindowServices& w = bench_.window();
    m.addNode->setEnabled(true);
    connect(m.addNode, &QAction::triggered, this,
            [this, &w] { w.afterReplyWait([this] { pmAddModulModbasClick(); }); });
    for (QAction* a : m.initModule) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this,
                [this, &w] { w.afterReplyWait([this] { pmSys_InitModulClick(); }); });
    }
}

void NodeCommands::pmAddModulModbasClick() {
    TFHandSetConfig* dialog = addNodeDialog_();
    dialog->exec();
    if (!dialog->accepted()) return;
    addNode(static_cast<uint8_t>(dialog->nodeAddress()), dialog->speed());
}

void NodeCommands::addNode(uint8_t cid, uint32_t speed) {
    CurrentModule& m = bench_.module;
    SystemTableRows rows = m.SystemTable;
    const HandAdd added = addNodeByHand(rows, cid);
    if (added.outcome == HandAdd::TableFull) {
        QMessageBox::critical(bench_.window().mainWindow(), gui::kProgramCaption, "Превышен лимит количества узлов Modbus");
        return;
    }
    if (added.outcome == HandAdd::Added) {
        m.setTable(rows);
        tree_.addNode(cid, LabelStyle::Scan);
    } else {
        tree_.selectNode(added.row);
    }
    // The node talks at its own speed; the system speed in the settings stays.
    bench_.window().setPortSpeed(speed);
}

void NodeCommands::pmSys_InitModulClick() {
    initialiseModule(bench_.engine(), bench_.module.CurrentCID);
    // The module restarts at its configured speed; the port is set to it again.
    bench_.window().restoreSystemSpeed();
}

}  // namespace velmora::system
