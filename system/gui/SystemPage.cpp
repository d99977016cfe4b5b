#include "system/gui/SystemPage.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include "common/HexText.h"
#include "common/gui/ModuleTab.h"
#include "common/gui/StatusPanels.h"
#include "link/qt/LinkSession.h"
#include "system/ConfigFile.h"
#include "system/NodeTable.h"
#include "system/gui/NodeCommands.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::system {

namespace {
QString hex2(uint8_t v) {
    return QString::fromStdString(hexNumber(v, 2));
}
constexpr const char* kNodeLimit = "Превышен лимит количества узлов Modbus";
constexpr const char* kModuleLimit = "Превышен лимит количества модулей 1-го узла";
constexpr const char* kScanCut = "Сканирование прервано: порт потерян";
}  // namespace

SystemPage::SystemPage(workbench::Workbench& bench, SystemPageWidgets& widgets, SystemPageMenus m)
    : bench_(bench),
      w_(bench.window()),
      p_(widgets),
      lockedWhileScanning_(m.lockedWhileScanning),
      tree_(widgets.tvSysInf, widgets.treeRoot) {
    SystemPageWidgets& p = p_;
    p.Gauge1->setRange(0, 256);
    p.Gauge2->setRange(0, 256);
    p.btn_sysUpDate->setEnabled(true);
    connect(p.tvSysInf, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { tvSysInfChange(item); });
    m.saveConfig->setEnabled(true);
    m.loadConfig->setEnabled(true);
    connect(m.saveConfig, &QAction::triggered, this,
            [this] { w_.afterReplyWait([this] { mmSaveConfigClick(); }); });
    connect(m.loadConfig, &QAction::triggered, this,
            [this] { w_.afterReplyWait([this] { mmLoadConfigClick(); }); });
    commands_ = std::make_unique<NodeCommands>(bench_, tree_, NodeMenus{m.addNode, m.initModule},
                                               std::move(m.addNodeDialog));
    // Connected after the window's own handlers: the port check's repeated "port gone"
    // must not wipe the word that the tree is only partial.
    connect(&bench_.session(), &link::LinkSession::portCheckFailed, this, [this] {
        if (cutByPortLoss_) w_.statusPanels().setPanelText(2, kScanCut);
    });
    connect(&bench_.session(), &link::LinkSession::portReopened, this,
            [this] { cutByPortLoss_ = false; });
    w_.setSystemActions(this);
}

SystemPage::~SystemPage() {
    w_.setSystemActions(nullptr);
}

void SystemPage::busScan() {
    // Started once the link is free: a scan begun inside another exchange's wait could
    // not hold the link for itself.
    w_.afterReplyWait([this] {
        if (!sweep_) startScan();
    });
}

void SystemPage::startScan() {
    SystemPageWidgets& p = p_;
    ScanListener& listener = *this;
    cutByPortLoss_ = false;
    sweep_ = std::make_unique<ScanSweep>(bench_.engine(), bench_.module, bench_.scan, listener,
                                         range_ ? *range_ : bench_.scanRange);
    for (QAction* a : lockedWhileScanning_) a->setEnabled(false);
    p.pSkan->show();
    p.btn_sysUpDate->hide();
    w_.statusPanels().setScanRunning(true);
    tree_.clear();
    p.gauge1Label->setText("Modbus  " + QString::number(bench_.session().comm().baud()));
    sweep_->start();
    QTimer::singleShot(0, this, &SystemPage::runStep);
}

void SystemPage::runStep() {
    // One probe a pass: between probes the event loop runs with no wait on its stack,
    // so clicks, closing and the stop button are served at once.
    if (sweep_ && sweep_->step()) {
        QTimer::singleShot(0, this, &SystemPage::runStep);
        return;
    }
    endScan();
}

void SystemPage::endScan() {
    if (!sweep_) return;
    const ScanEnd end = sweep_->end();
    const bool found = sweep_->nodesFound() > 0;
    sweep_.reset();
    SystemPageWidgets& p = p_;
    // The sweep ends as a complete one when the port is lost; the tree then holds only
    // what answered before the loss, and the views could not read through the port.
    const bool cut = end == ScanEnd::Complete && bench_.session().state().PortLost;
    if (end == ScanEnd::Complete) {
        w_.showCurrentAddress();
        if (found && !cut && bench_.module.SelectionLevel != kNothingSelected)
            for (int tab : {workbench::kFlashTab, workbench::kRamTab, workbench::kEepromTab})
                w_.moduleTab(tab).read();
    }
    if (cut) {
        cutByPortLoss_ = true;
        w_.statusPanels().setPanelText(2, kScanCut);
    }
    if (end == ScanEnd::NodeLimit || end == ScanEnd::ModuleLimit)
        QMessageBox::critical(w_.mainWindow(), gui::kProgramCaption,
                              end == ScanEnd::NodeLimit ? kNodeLimit : kModuleLimit);
    p.Gauge1->setValue(0);
    p.Gauge2->setValue(0);
    p.pSkan->hide();
    for (QAction* a : lockedWhileScanning_) a->setEnabled(true);
    p.btn_sysUpDate->show();
    w_.statusPanels().setScanRunning(false);
    if (bench_.scan.CloseRequested) w_.mainWindow()->close();
}

void SystemPage::stopScan() {
    bench_.scan.ScanRunning = false;
    for (int i = 0; i < gui::StatusPanels::kPanelCount; ++i) w_.statusPanels().setPanelText(i, {});
}

void SystemPage::probingNode(uint8_t cid) {
    w_.statusPanels().setPanelText(1, {});
    w_.statusPanels().setPanelText(0, "Адр Modbus: " + hex2(cid));
}

void SystemPage::nodeFound(size_t, uint8_t cid) {
    tree_.addNode(cid, LabelStyle::Scan);
}

void SystemPage::probingModule(uint8_t slave) {
    w_.statusPanels().setPanelText(1, "Адр i2c: " + hex2(slave));
}

void SystemPage::moduleFound(size_t row, size_t, uint8_t slave) {
    tree_.addModule(row, slave, LabelStyle::Scan);
}

void SystemPage::gauge1(int value) {
    p_.Gauge1->setValue(value);
}

void SystemPage::gauge2(int value) {
    p_.Gauge2->setValue(value);
}

void SystemPage::tvSysInfChange(QTreeWidgetItem* item) {
    if (tree_.rebuilding()) return;
    const auto at = SystemTreeView::positionOf(item);
    if (!at) return;
    CurrentModule& m = bench_.module;
    if (at->level == 0) {
        m.select(m.CurrentCID, m.CurrentSlaveAdr, kNothingSelected);
        return;
    }
    const auto address = entryAddress(m.SystemTable, at->level, at->node, at->module);
    if (!address) return;
    bench_.scan.ScanRunning = false;
    w_.startTimer1();
    m.select(address->cid, address->slave, static_cast<uint8_t>(at->level));
    w_.showCurrentAddress();
}

void SystemPage::loadConfiguration() {
    loadConfigurationFile(QDir::current().filePath(kConfigFileName));
}

bool SystemPage::loadConfigurationFile(const QString& path) {
    const ConfigLoad load = readConfigFile(QFile::encodeName(path).toStdString());
    if (load.outcome == ConfigLoad::Missing) return false;
    if (load.outcome == ConfigLoad::Refused) {
        const std::string name = QFileInfo(path).fileName().toStdString();
        QMessageBox::critical(w_.mainWindow(), gui::kProgramCaption,
                              QString::fromStdString(configFaultMessage(name, load.fault)));
        return false;
    }
    CurrentModule& m = bench_.module;
    m.setTable(load.rows);
    tree_.rebuild(load.rows, LabelStyle::Loader);
    // No slave address survives a new table; with no node at all nothing is selected.
    const uint8_t cid = load.rows[0].cid;
    const uint8_t level =
        cid == 0 ? uint8_t{kNothingSelected} : std::min<uint8_t>(m.SelectionLevel, kNodeSelected);
    m.select(cid, 0, level);
    w_.showCurrentAddress();
    return true;
}

void SystemPage::mmSaveConfigClick() {
    QFileDialog dialog(w_.mainWindow(), "Сохранить конфигурацию", QDir::currentPath());
    dialog.setObjectName("saveConfigDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({"Конфигурация (*.trm)", "Все файлы (*)"});
    dialog.selectFile(kConfigFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().front();
    const std::string why =
        writeConfigFile(QFile::encodeName(path).toStdString(), bench_.module.SystemTable);
    if (!why.empty())
        QMessageBox::critical(w_.mainWindow(), gui::kProgramCaption,
                              "Файл " + path + " не записан.\n" + QString::fromStdString(why));
}

void SystemPage::mmLoadConfigClick() {
    QFileDialog dialog(w_.mainWindow(), "Загрузить конфигурацию", QDir::currentPath());
    dialog.setObjectName("loadConfigDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({"Конфигурация (*.trm)", "Все файлы (*)"});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    loadConfigurationFile(dialog.selectedFiles().front());
}

}  // namespace velmora::system
