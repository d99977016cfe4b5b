#pragma once
// The System page at work inside the main window: the bus scan with its panel, gauges
// and status panels, the tree selection that makes a node or module current, and the
// configuration file (at start, and from the File menu).

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "system/ScanSweep.h"
#include "system/gui/SystemPageWidgets.h"
#include "system/gui/SystemTreeView.h"
#include "workbench/Workbench.h"
#include "workbench/gui/WindowServices.h"

class QAction;

namespace velmora::system {

class NodeCommands;
class TFHandSetConfig;

// The window's menu entries the page works.
struct SystemPageMenus {
    QAction* saveConfig = nullptr;  // "Сохранить конфигурацию"
    QAction* loadConfig = nullptr;  // "Загрузить конфигурацию"
    // Menus a running scan disables ("Файл", "Настройки").
    std::vector<QAction*> lockedWhileScanning;
    QAction* addNode = nullptr;  // "Добавить модуль на Modbus"
    std::vector<QAction*> initModule;  // "Инициализировать модуль", in both menus
    // The add-node dialog, made when first wanted.
    std::function<TFHandSetConfig*()> addNodeDialog;
};

class SystemPage : public QObject, public workbench::SystemPageActions, private ScanListener {
    Q_OBJECT
public:
    SystemPage(workbench::Workbench& bench, SystemPageWidgets& widgets, SystemPageMenus menus);
    ~SystemPage() override;

    // SystemPageActions
    void busScan() override;
    void loadConfiguration() override;
    void stopScan() override;

    // The node addresses this page's scans sweep, over the window's own range (the
    // settings' "Диапазон сканирования").
    void setNodeRange(NodeRange range) { range_ = range; }
    bool scanning() const { return sweep_ != nullptr; }
    SystemTreeView& tree() { return tree_; }

    // Reads a configuration file into the table and the tree; a faulty one changes
    // nothing and is named in a message. Returns whether the table was replaced.
    bool loadConfigurationFile(const QString& path);

private:
    void startScan();
    void runStep();
    void endScan();
    void tvSysInfChange(QTreeWidgetItem* item);
    void mmSaveConfigClick();
    void mmLoadConfigClick();

    // ScanListener
    void probingNode(uint8_t cid) override;
    void nodeFound(size_t row, uint8_t cid) override;
    void probingModule(uint8_t slave) override;
    void moduleFound(size_t row, size_t index, uint8_t slave) override;
    void gauge1(int value) override;
    void gauge2(int value) override;

    workbench::Workbench& bench_;
    workbench::WindowServices& w_;
    SystemPageWidgets& p_;
    std::vector<QAction*> lockedWhileScanning_;
    SystemTreeView tree_;
    std::optional<NodeRange> range_;
    std::unique_ptr<ScanSweep> sweep_;
    std::unique_ptr<NodeCommands> commands_;
    bool cutByPortLoss_ = false;  // the last scan ended with the port lost; until it is back
};

}  // namespace velmora::system
