#include "app/uVelmora.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/TFAboutBox.h"
#include "app/TFHelp.h"
#include "app/TFselectComm.h"
#include "firmware/gui/FirmwareActions.h"
#include "tools/gui/TFfreeTerminal.h"
#include "tools/gui/TFTestKom.h"
#include "app/WindowSettings.h"
#include "common/HexText.h"
#include "views/gui/TFShowVar.h"
#include "common/gui/WritableFolder.h"
#include "system/gui/TFHandSetConfig.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::app {

namespace {

// The program's own path with ".ini"; where that folder cannot be written, the user's
// configuration folder.
QString defaultSettingsPath() {
    QFileInfo exe(QCoreApplication::applicationFilePath());
    return gui::programOrUserFolder(exe.absolutePath(), QStandardPaths::GenericConfigLocation) + "/" +
           exe.completeBaseName() + ".ini";
}

QString hex2(uint8_t v) {
    return QString::fromStdString(hexNumber(v, 2));
}

// `menu` pops up where `w` is right-clicked.
void attachPopup(QWidget* w, QMenu* menu) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(w, &QWidget::customContextMenuRequested, menu,
                     [w, menu](const QPoint& at) { menu->popup(w->mapToGlobal(at)); });
}

}  // namespace

TFTerminal::TFTerminal(TerminalOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    setObjectName("TFTerminal");
    settingsPath_ = options_.settingsPath.isEmpty() ? defaultSettingsPath() : options_.settingsPath;
    session().reportTo(this);
    engine().setInitNodeSource([this] { return module_.CurrentCID; });
    buildWindow();
    connectMenus();
    connectPort();
    console_ = std::make_unique<console::TerminalConsole>(
        pages_,
        console::ConsoleMenus{menus_.pmProt, menus_.mmClear, menus_.mmSaveProt, menus_.loadKomm,
                              menus_.N8, menus_.loadKommSet, menus_.mmCRC_hi, menus_.mmProtSysOp,
                              menus_.mmDecode},
        link_, module_);

    link_.setPortCheckInterval(options_.portCheckMs);
    timer1_.setInterval(options_.timer1Ms);
    connect(&timer1_, &QTimer::timeout, this, &TFTerminal::Timer1Timer);
    connect(&tmUpDate_, &QTimer::timeout, this, &TFTerminal::TmUpdateTimer);

    // The window sees every key before the focused control.
    qApp->installEventFilter(this);
    scan_.SystemIdle = true;
}

void TFTerminal::buildFirmwareActions() {
    firmware::FirmwareHost host;
    host.engine = &engine();
    host.target = [this] {
        return firmware::FirmwareTarget{module_.CurrentCID, module_.CurrentSlaveAdr,
                                        module_.SelectionLevel, addresses.FlashBottom};
    };
    host.hexDir = [this] { return hexDir_; };
    host.setHexDir = [this](const QString& dir) { hexDir_ = dir; };
    host.chooseHexFile = [this](const QString& dir) {
        return QFileDialog::getOpenFileName(this, "Загрузить *.hex файл", dir,
                                            "Файл формата *.hex (*.hex)");
    };
    host.chooseBackupFile = [this](const QString& dir) {
        return QFileDialog::getSaveFileName(this, "Сохранить прошивку модуля", dir + "/backup.hex",
                                            "Файл формата *.hex (*.hex)");
    };
    host.systemLogOn = [this] { return menus_.mmProtSysOp->isChecked(); };
    host.log = [this](const std::string& line) { pages_.reProt->appendLine(line, {0, 0, 0}); };
    host.status = [this](const QString& text) { sb1_->setPanelText(2, text); };
    host.refreshFlash = [this] { tabs_[kFlashTab]->read(); };
    host.refreshModulePage = [this] { pcMonChange(); };
    host.flash = [this]() -> views::FlashTabWidgets* { return &pages(); };
    host.mmRecHex = menus_.mmRecHex;
    host.verifyAfterWrite = menus_.mmVerifyAfterWrite;
    host.dialogParent = this;
    firmware_ = new firmware::FirmwareActions(std::move(host), this);

    // Each starts a device operation: held until the link is free, never nested.
    connect(menus_.mmLoadHex, &QAction::triggered, this,
            [this] { link_.whenFree([this] { firmware_->mmLoadHexClick(); }); });
    connect(menus_.mmLoadHex_Shift, &QAction::triggered, this,
            [this] { link_.whenFree([this] { firmware_->mmLoadHex_ShiftClick(); }); });
    connect(menus_.mmRecHex, &QAction::triggered, firmware_, &firmware::FirmwareActions::mmRecHexClick);
    connect(menus_.pmSys_ClFl, &QAction::triggered, this,
            [this] { link_.whenFree([this] { firmware_->pmSys_ClFlClick(); }); });
    // The free terminal borrows the port: never in the middle of an exchange.
    connect(menus_.mmTerminal, &QAction::triggered, this,
            [this] { link_.whenFree([this] { freeTerminalWindow()->openOnPort(); }); });
    menus_.mmTerminal->setEnabled(true);
    for (QAction* a : {menus_.mmTester, menus_.N10}) {
        connect(a, &QAction::triggered, this, [this] { link_.whenFree([this] { openTester(); }); });
        a->setEnabled(true);
    }
    connect(menus_.mmBackupHex, &QAction::triggered, this,
            [this] { link_.whenFree([this] { firmware_->backupClick(); }); });
    menus_.pmSys_ClFl->setEnabled(true);
    setHexLoadingAvailable(true);
}

void TFTerminal::setModuleTab(int tab, ModuleTab* handler) {
    const auto i = static_cast<size_t>(tab);
    tabs_[i] = handler ? handler : inertTabs_[i].get();
}

void TFTerminal::setSystemActions(SystemPageActions* actions) {
    systemActions_ = actions ? actions : &inertSystem_;
}

void TFTerminal::setToolActions(ToolWindowActions* actions) {
    toolActions_ = actions ? actions : &inertTools_;
}

TFTerminal::~TFTerminal() {
    delete tester_;
    qApp->removeEventFilter(this);
}

void TFTerminal::buildWindow() {
    setWindowTitle(gui::kProgramCaption);
    menus_ = buildMainMenus(this);
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    pages_ = buildMainPages(central);
    v->addWidget(pages_.pcChan);
    setCentralWidget(central);
    sb1_ = new StatusPanels(this);
    statusBar()->addWidget(sb1_, 1);
    statusBar()->setSizeGripEnabled(true);

    // Popup menus of the page controls (the Module page's are attached when it is built).
    attachPopup(pages_.pcChan, menus_.pmProt);
    for (QWidget* w :
         {static_cast<QWidget*>(pages_.reProt), static_cast<QWidget*>(pages_.Label2), pages_.PanKom,
          static_cast<QWidget*>(pages_.cbKomStr), static_cast<QWidget*>(pages_.pHint)})
        attachPopup(w, menus_.pmProt);
    attachPopup(pages_.tvSysInf, menus_.mmModul);

    pages_.reProt->setExchangeSwitch(menus_.mmProt);
    pages_.reProt->setTimeSwitch(menus_.mmProtTime);
    engine().setProtocolLog(pages_.reProt);

    buildFirmwareActions();

    // Until the Module page is built, and then until a subsystem plugs its own tab in,
    // a tab does nothing.
    for (size_t i = 0; i < inertTabs_.size(); ++i) {
        inertTabs_[i] = std::make_unique<InertModuleTab>(nullptr);
        tabs_[i] = inertTabs_[i].get();
    }
}

void TFTerminal::ensureModulePage() {
    if (modulePageBuilt()) return;
    buildModulePage(pages_);
    bindModulePage();
    std::vector<std::function<void()>> hooks;
    hooks.swap(moduleHooks_);
    for (auto& hook : hooks) hook();
}

void TFTerminal::whenModulePageBuilt(std::function<void()> hook) {
    if (modulePageBuilt())
        hook();
    else
        moduleHooks_.push_back(std::move(hook));
}

void TFTerminal::bindModulePage() {
    attachPopup(pages_.sgFL, menus_.pmFlash);
    attachPopup(pages_.pcMon, menus_.pmFlash);
    attachPopup(pages_.sgEE, menus_.pmFlash);
    attachPopup(pages_.sfrTopPanel, menus_.pmFlash);
    attachPopup(pages_.sgRAM, menus_.pmRAM);

    // View defaults: first period of each list, the grids' fixed cells, and the tab
    // the page was last asked to show (the Ident tab unless told otherwise). The tab is
    // set before the page change handler is connected, so it is no page change. The
    // quiet flag is left alone: a quiet show of the Module page (Timer1, F6) builds the
    // page from inside its own change, and must stay quiet.
    pages_.cbPapId->setCurrentIndex(0);
    pages_.cbPapRAM->setCurrentIndex(0);
    pages_.pcMon->setCurrentIndex(shownModuleTab_);
    connect(pages_.pcMon, &QTabWidget::currentChanged, this, &TFTerminal::onModuleTabChanged);
    if (Tag != 0) applyFlashBottomChoice();
    labelGridsFromAddresses();
    if (firmware_) firmware_->bindFlashTab();

    // Until a subsystem plugs its own tab in, the tab only takes the focus.
    const std::array<QWidget*, kModuleTabCount> focus = {nullptr, pages_.sgFL, pages_.sgRAM,
                                                         pages_.sgEE, pages_.lbSFR};
    for (size_t i = 0; i < focus.size(); ++i) inertTabs_[i]->setFocusTarget(focus[i]);
    buildIdentTab();
}

void TFTerminal::applyFlashBottomChoice() {
    if (addresses.FlashBottom == 0x2000) pages_.cbBottomAdrFL->setCurrentIndex(0);
    if (addresses.FlashBottom == 0x4000) pages_.cbBottomAdrFL->setCurrentIndex(1);
}

int TFTerminal::moduleTabIndex() const {
    return modulePageBuilt() ? pages_.pcMon->currentIndex() : shownModuleTab_;
}

tools::TFfreeTerminal* TFTerminal::freeTerminalWindow() {
    if (!freeTerminal_) freeTerminal_ = new tools::TFfreeTerminal(Comm(), this);
    return freeTerminal_;
}

system::TFEditParMod* TFTerminal::editParMod() {
    if (!editParMod_) editParMod_ = new system::TFEditParMod(this);
    return editParMod_;
}

system::TFHandSetConfig* TFTerminal::handSetConfig() {
    if (!handSetConfig_) {
        handSetConfig_ = new system::TFHandSetConfig(this);
        handSetConfig_->setPortSpeedSource([this] { return Comm().baud(); });
    }
    return handSetConfig_;
}

views::TFShowVar* TFTerminal::showVar() {
    if (!showVar_) showVar_ = new views::TFShowVar(this);
    return showVar_;
}

TFselectComm* TFTerminal::selectComm() {
    if (!selectComm_)
        selectComm_ = new TFselectComm(
            Comm(), [this] { linkState().PortLost = false; }, this, options_.portFacts);
    return selectComm_;
}

void TFTerminal::buildIdentTab() {
    system::IdentTabFrame f;
    f.session = &link_;
    f.module = &module_;
    f.status = this;
    f.tmUpDate = &tmUpDate_;
    f.lockedWhileAuto = {menus_.mmFile->menuAction(), menus_.mmSettings->menuAction()};
    f.initEntries = {menus_.pmSys_InitModul, menus_.N14};
    f.pageChange = [this] { pcMonChange(); };
    f.otherAutoOn = [this] { return pages_.cbAutoApDateRAM->isChecked(); };
    f.editor = editParMod();
    f.dialogParent = this;
    identTab_ = std::make_unique<system::IdentTab>(pages_, std::move(f));
    // A handler plugged in before the page was built keeps its place.
    if (tabs_[kIdentTab] == inertTabs_[kIdentTab].get()) tabs_[kIdentTab] = identTab_.get();
}

void TFTerminal::showStatus(const std::string& text) {
    sb1_->setPanelText(2, QString::fromStdString(text));
}

void TFTerminal::showCurrentAddress() {
    const uint8_t cid = module_.CurrentCID;
    const uint8_t slave = module_.CurrentSlaveAdr;
    sb1_->setPanelText(0, cid ? "Адр Modbus: " + hex2(cid) : QString());
    sb1_->setPanelText(1, slave ? "Адр i2c: " + hex2(slave) : QString());
}

void TFTerminal::afterReplyWait(std::function<void()> action) {
    link_.whenFree(std::move(action));
}

void TFTerminal::openTester() {
    if (tester_) {
        tester_->activateWindow();
        return;
    }
    // No parent: a disabled main window would disable its child windows too.
    tester_ = new tools::TFTestKom(link_, [this] { postWindowMessage(kMsgTesterClosed); });
    setEnabled(false);
    tester_->show();
}

void TFTerminal::postWindowMessage(QEvent::Type type) {
    QCoreApplication::postEvent(this, new QEvent(type));
}

bool TFTerminal::event(QEvent* e) {
    if (e->type() == kMsgDeviceChange) {
        WMDeviceChange();
        return true;
    }
    if (e->type() == kMsgBrowserClosed) {
        toolActions_->browserClosed();
        return true;
    }
    if (e->type() == kMsgTesterClosed) {
        delete tester_;
        tester_ = nullptr;
        setEnabled(true);
        toolActions_->testerClosed();
        show();
        return true;
    }
    return QMainWindow::event(e);
}

void TFTerminal::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) queueActivation();
}

void TFTerminal::setVisible(bool visible) {
    if (visible && Tag == 0 && !WindowSettings::of(this)) {
        // The settings file is read as the window is first shown, and its size and place
        // given before the native window exists: only then does Qt take the place as the
        // frame's corner, which is what the file keeps. Given later, it placed the client
        // area there and the window climbed a title bar's height at every start; given
        // after the map, a window manager first showed the window where it chose.
        WindowSettings::read(this, settingsPath_)->applyGeometry(this);
    }
    QMainWindow::setVisible(visible);
}

void TFTerminal::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // Without a window manager nothing activates the window; the start must not wait
    // for it.
    if (Tag == 0) queueActivation();
}

void TFTerminal::queueActivation() {
    // Handled after the event itself, so the handler may open a modal dialog.
    if (activationQueued_) return;
    activationQueued_ = true;
    QMetaObject::invokeMethod(this, &TFTerminal::FormActivate, Qt::QueuedConnection);
}

void TFTerminal::FormActivate() {
    activationQueued_ = false;
    sb1_->setPanelText(0, "Адр Modbus: " + hex2(module_.CurrentCID));
    if (Tag == 0) {
        firstActivation();
        labelGridsFromAddresses();
    } else {
        relabelShownGrids();
    }
    emit activated();
}

void TFTerminal::firstActivation() {
    WindowSettings* stored = WindowSettings::of(this);
    if (!stored) stored = WindowSettings::read(this, settingsPath_);
    const AppSettings s = stored->settings();
    // Again now that the frame is known: the frame, not only the client area, must fit
    // the screen.
    stored->applyGeometry(this);
    if (std::string notice = stored->notSavedNotice(); !notice.empty()) showStatus(notice);
    Tag = 1;

    addresses.FlashBottom = static_cast<uint16_t>(s.startAdrFlash);
    addresses.AdrFL = addresses.FlashBottom;
    if (modulePageBuilt()) applyFlashBottomChoice();
    menus_.mmAutoskan->setChecked(s.autoScan);
    menus_.mmProtTime->setChecked(s.logTimes);
    scanRange_ = system::nodeRangeOrWhole(s.scanFirst, s.scanLast);
    menus_.mmProt->setChecked(s.protocol);
    setSystemSpeed(s.systemSpeed);

    showMainPageQuietly(kSystemPage);
    showModuleTabQuietly(kIdentTab);
    previousPage_ = kSystemPage;
    module_.CurrentCID = 0;

    savedPort_ = link::PortChoice{s.portNumber, QString::fromStdString(s.portPath)};
    link_.setChoice(options_.portOverride.value_or(savedPort_));
    menus_.mmFlow->setChecked(s.hardwareFlow);
    Comm().setHardwareFlow(s.hardwareFlow);
    hexDir_ = QString::fromStdString(s.hexDir);
    link_.startWatching(options_.hardwarePollMs);

    const bool opened = link_.openPort();
    setPortIcon(opened ? gui::kImgPortOpen : gui::kImgPortClosed);
    if (!opened) mmNomCommClick();
    if (Comm().isOpen()) {
        if (menus_.mmAutoskan->isChecked())
            systemActions_->busScan();
        else
            systemActions_->loadConfiguration();
    }
}

void TFTerminal::labelGridsFromAddresses() {
    // Before the Module page is built there are no grids yet; building it calls this again.
    if (!modulePageBuilt()) return;
    const views::ViewAddresses& a = addresses;
    pages_.edAdrFL->setText(QString::fromStdString(hexNumber(a.AdrFL, 4)));
    pages_.sgFL->setRowAddresses(a.AdrFL & 0xFF00);
    pages_.sgRAM->setRowAddresses(a.AdrRAM & 0x7F00);
    pages_.sgEE->setRowAddresses(a.AdrEE & 0xF00);
}

void TFTerminal::relabelShownGrids() {
    // A modal dialog closing activates the window again. The grids keep their data, so
    // their headers must keep naming it: the cursors (AdrRAM, AdrFL) have moved within
    // or away from the page since, and FlashBottom is no page the grid shows.
    if (!modulePageBuilt()) return;
    pages_.sgFL->relabel();
    pages_.sgRAM->relabel();
    pages_.sgEE->relabel();
}

void TFTerminal::closeEvent(QCloseEvent* e) {
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
}

bool TFTerminal::FormCloseQuery() {
    scan_.ScanRunning = false;
    if (!scan_.SystemIdle) {
        // The scan closes the window itself when it has stopped.
        scan_.CloseRequested = true;
        return false;
    }
    if (!engine().isFree()) {
        // A transaction is waiting inside this very event loop; close once it is over.
        link_.whenFree([this] { close(); });
        return false;
    }
    Comm().close();
    return true;
}

void TFTerminal::FormClose() {
    if (tmUpDate_.isActive() && modulePageBuilt()) {
        pages_.cbAutoApDateId->setChecked(false);
        pages_.cbAutoApDateRAM->setChecked(false);
        tmUpDate_.setInterval(10);
        for (int guard = 0; tmUpDate_.isActive() && guard < 200; ++guard) engine().pause(10);
    }
    link_.shutDown();
    timer1_.stop();
    writeSettingsFile();
    engine().pause(static_cast<uint32_t>(options_.closingGraceMs));
}

void TFTerminal::writeSettingsFile() {
    // Closed before the settings were ever read: what the window holds are defaults,
    // not the user's choices, and must not replace them.
    if (Tag == 0) return;
    AppSettings s;
    const QRect frame = frameGeometry();
    s.width = width();
    s.height = height();
    s.left = frame.left();
    s.top = frame.top();
    s.startAdrFlash = addresses.FlashBottom;
    s.autoScan = menus_.mmAutoskan->isChecked();
    s.logTimes = menus_.mmProtTime->isChecked();
    s.scanFirst = scanRange_.first;
    s.scanLast = scanRange_.last;
    s.protocol = menus_.mmProt->isChecked();
    s.systemSpeed = SystemSpeed;
    s.hexDir = hexDir_.toStdString();
    s.portNumber = savedPort_.number;
    s.portPath = savedPort_.path.toStdString();
    s.hardwareFlow = menus_.mmFlow->isChecked();
    if (WindowSettings* stored = WindowSettings::of(this)) stored->save(s);
}

}  // namespace velmora::app
