#pragma once
// The tree's popup "Добавить модуль на Modbus" and the module pages' "Инициализировать
// модуль", inside the main window.

#include <QObject>

#include "app/uVelmora.h"
#include "system/gui/SystemTreeView.h"

namespace velmora::system {

class NodeCommands : public QObject {
    Q_OBJECT
public:
    NodeCommands(app::TFTerminal& window, SystemTreeView& tree);

    void pmAddModulModbasClick();
    void pmSys_InitModulClick();

private:
    void addNode(uint8_t cid, uint32_t speed);

    app::TFTerminal& w_;
    SystemTreeView& tree_;
};

}  // namespace velmora::system
