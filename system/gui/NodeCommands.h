#pragma once
// The tree's popup "Добавить модуль на Modbus" and the module pages' "Инициализировать
// модуль", inside the main window.

#include <QObject>
#include <functional>
#include <vector>

#include "system/gui/SystemTreeView.h"
#include "workbench/Workbench.h"

class QAction;

namespace velmora::system {

class TFHandSetConfig;

struct NodeMenus {
    QAction* addNode = nullptr;
    std::vector<QAction*> initModule;
};

class NodeCommands : public QObject {
    Q_OBJECT
public:
    NodeCommands(workbench::Workbench& bench, SystemTreeView& tree, NodeMenus menus,
                 std::function<TFHandSetConfig*()> addNodeDialog);

    void pmAddModulModbasClick();
    void pmSys_InitModulClick();

private:
    void addNode(uint8_t cid, uint32_t speed);

    workbench::Workbench& bench_;
    SystemTreeView& tree_;
    std::function<TFHandSetConfig*()> addNodeDialog_;
};

}  // namespace velmora::system
