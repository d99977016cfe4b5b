#include "app/uVelmora.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QMenu>
#include <QStatusBar>
#include <QTime>
#include <QVBoxLayout>

#include "app/TFAboutBox.h"
#include "app/TFHelp.h"
#include "app/FlashRunPanel.h"
#include "app/SpeedChoice.h"
#include "firmware/gui/FirmwareActions.h"
#include "tools/gui/TFfreeTerminal.h"
#include "system/gui/TFEditParMod.h"
#include "tools/gui/TFTestKom.h"
#include "app/WindowSettings.h"
#include "app/WorkbenchSettings.h"
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
    engine().setInitNodeSource([this] { return bench_.module.CurrentCID; });
    buildWindow();
    connectMenus();
    link_.setPortCheckInterval(options_.portCheckMs);
    connect(&link_, &link::LinkSession::hardwareChanged, this,
            [this] { postWindowMessage(kMsgDeviceChange); });

    // The window sees every key before the focused control.
    qApp->installEventFilter(this);
    bench_.scan.SystemIdle = true;
}

void TFTerminal::buildFirmwareActions() {
    firmware::FirmwareHost host;
    host.engine = &engine();
    host.target = [this] {
        const system::CurrentModule& m = bench_.module;
        return firmware::FirmwareTarget{m.CurrentCID, m.CurrentSlaveAdr, m.SelectionLevel,
                                        bench_.addresses.FlashBottom};
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
    host.log = [this](const std::string& line) { bench_.log.appendLine(line, {0, 0, 0}); };
    host.status = [this](const QString& text) { sb1_->setPanelText(2, text); };
    host.refreshFlash = [this] { nav_->moduleTab(kFlashTab).read(); };
    host.refreshModulePage = [this] { pcMonChange(); };
    runPanel_ = std::make_unique<FlashRunPanel>([this]() -> views::FlashTabWidgets* { return &pages(); });
    host.panel = runPanel_.get();
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
            [this] { link_.whenFree([this] { dialogs_->freeTerminal()->openOnPort(); }); });
    menus_.mmTerminal->setEnabled(true);
    for (QAction* a : {menus_.mmTester, menus_.N10}) {
        connect(a, &QAction::triggered, this, [this] {
            link_.whenFree([this] {
                dialogs_->openTester([this] { postWindowMessage(kMsgTesterClosed); });
            });
        });
        a->setEnabled(true);
    }
    connect(menus_.mmBackupHex, &QAction::triggered, this,
            [this] { link_.whenFree([this] { firmware_->backupClick(); }); });
    menus_.pmSys_ClFl->setEnabled(true);
    setHexLoadingAvailable(true);
}

void TFTerminal::setToolActions(ToolWindowActions* actions) {
    toolActions_ = actions ? actions : &inertTools_;
}

TFTerminal::~TFTerminal() {
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
    dialogs_ = new WindowDialogs(this, link_, [this](std::function<void()> a) { afterReplyWait(std::move(a)); });
    sb1_ = new gui::StatusPanels(this);
    statusBar()->addWidget(sb1_, 1);
    statusBar()->setSizeGripEnabled(true);
    nav_ = new PageNavigation({&pages_, &menus_, &bench_, [this] { ensureModulePage(); },
                               [this] { ensureTerminalPage(); },
                               [this] { return dialogs_->showHelp(options_.helpFile); },
                               options_.timer1Ms},
                              this);
    port_ = new PortControls({&link_, &menus_, sb1_, this,
                              [this](std::function<void()> a) { afterReplyWait(std::move(a)); },
                              options_.portOverride, options_.hardwarePollMs, options_.portFacts},
                             this);

    // Popup menus of the page controls (the Module and Terminal pages' are attached when
    // they are built). The protocol popup's entries work on the Terminal page, which is
    // built before the popup shows.
    attachPopup(pages_.pcChan, menus_.pmProt);
    attachPopup(pages_.tvSysInf, menus_.mmModul);
    connect(menus_.pmProt, &QMenu::aboutToShow, this, &TFTerminal::ensureTerminalPage);

    bench_.log.setSwitches({[this] { return menus_.mmProt->isChecked(); },
                            [this] { return menus_.mmProtTime->isChecked(); },
                            [] { return QTime::currentTime().toString("HH:mm:ss.zzz").toStdString(); }});
    engine().setProtocolLog(&bench_.log);

    buildFirmwareActions();
}

void TFTerminal::ensureModulePage() {
    if (modulePageBuilt()) return;
    buildModulePage(pages_);
    bindModulePage();
    std::vector<std::function<void()>> hooks;
    hooks.swap(moduleHooks_);
    for (auto& hook : hooks) hook();
}

void TFTerminal::ensureTerminalPage() {
    if (terminalPageBuilt()) return;
    buildTerminalPage(pages_);
    pages_.reProt->attach(bench_.log);
    for (QWidget* w :
         {static_cast<QWidget*>(pages_.reProt), static_cast<QWidget*>(pages_.Label2), pages_.PanKom,
          static_cast<QWidget*>(pages_.cbKomStr), static_cast<QWidget*>(pages_.pHint)})
        attachPopup(w, menus_.pmProt);
    console_ = std::make_unique<console::TerminalConsole>(
        pages_,
        console::ConsoleMenus{menus_.pmProt, menus_.mmClear, menus_.mmSaveProt, menus_.loadKomm,
                              menus_.N8, menus_.loadKommSet, menus_.mmCRC_hi, menus_.mmDecode},
        link_, bench_.module);
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

    // View defaults: first period of each list, the grids' fixed cells.
    pages_.cbPapId->setCurrentIndex(0);
    pages_.cbPapRAM->setCurrentIndex(0);
    nav_->bindModulePage();
    if (Tag != 0) applyFlashBottomChoice();
    labelGridsFromAddresses();
    if (firmware_) firmware_->bindRunPanel();

    // Until a subsystem plugs its own tab in, the tab only takes the focus.
    const std::array<QWidget*, kModuleTabCount> focus = {nullptr, pages_.sgFL, pages_.sgRAM,
                                                         pages_.sgEE, pages_.lbSFR};
    for (size_t i = 0; i < focus.size(); ++i) nav_->setInertFocus(static_cast<int>(i), focus[i]);
    buildIdentTab();
}

void TFTerminal::applyFlashBottomChoice() {
    if (bench_.addresses.FlashBottom == 0x2000) pages_.cbBottomAdrFL->setCurrentIndex(0);
    if (bench_.addresses.FlashBottom == 0x4000) pages_.cbBottomAdrFL->setCurrentIndex(1);
}

void TFTerminal::buildIdentTab() {
    system::IdentTabFrame f;
    f.session = &link_;
    f.module = &bench_.module;
    f.status = this;
    f.tmUpDate = &nav_->tmUpDate();
    f.lockedWhileAuto = {menus_.mmFile->menuAction(), menus_.mmSettings->menuAction()};
    f.initEntries = {menus_.pmSys_InitModul, menus_.N14};
    f.pageChange = [this] { pcMonChange(); };
    f.otherAutoOn = [this] { return pages_.cbAutoApDateRAM->isChecked(); };
    f.editor = editParMod();
    f.dialogParent = this;
    identTab_ = std::make_unique<system::IdentTab>(pages_, std::move(f));
    // A handler plugged in before the page was built keeps its place.
    nav_->setDefaultModuleTab(kIdentTab, identTab_.get());
}

void TFTerminal::showStatus(const std::string& text) {
    sb1_->setPanelText(2, QString::fromStdString(text));
}

void TFTerminal::showCurrentAddress() {
    const uint8_t cid = bench_.module.CurrentCID;
    const uint8_t slave = bench_.module.CurrentSlaveAdr;
    sb1_->setPanelText(0, cid ? "Адр Modbus: " + hex2(cid) : QString());
    sb1_->setPanelText(1, slave ? "Адр i2c: " + hex2(slave) : QString());
}

void TFTerminal::setPortSpeed(uint32_t bps) {
    Comm().setBaud(bps);
    port_->refreshSpeedMenu();
}

void TFTerminal::restoreSystemSpeed() {
    // The system speed the menu marks; none marked (a node's own speed), the port stays.
    const auto& speeds = menus_.mmSpeed;
    for (size_t i = 2; i < speeds.size(); ++i)
        if (speeds[i]->isChecked()) port_->setSystemSpeed(kSystemSpeeds[i]);
}

void TFTerminal::postWindowMessage(QEvent::Type type) {
    QCoreApplication::postEvent(this, new QEvent(type));
}

bool TFTerminal::event(QEvent* e) {
    if (e->type() == kMsgDeviceChange) {
        port_->WMDeviceChange();
        return true;
    }
    if (e->type() == kMsgBrowserClosed) {
        toolActions_->browserClosed();
        return true;
    }
    if (e->type() == kMsgTesterClosed) {
        dialogs_->destroyTester();
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
    sb1_->setPanelText(0, "Адр Modbus: " + hex2(bench_.module.CurrentCID));
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

    applyWorkbenchSettings(s, bench_, menus_);
    if (modulePageBuilt()) applyFlashBottomChoice();
    nav_->showStartPages();
    bench_.module.CurrentCID = 0;
    hexDir_ = QString::fromStdString(s.hexDir);

    if (port_->openAtStart(s)) {
        if (menus_.mmAutoskan->isChecked())
            nav_->systemActions().busScan();
        else
            nav_->systemActions().loadConfiguration();
    }
}

void TFTerminal::labelGridsFromAddresses() {
    // Before the Module page is built there are no grids yet; building it calls this again.
    if (!modulePageBuilt()) return;
    const views::ViewAddresses& a = bench_.addresses;
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
    bench_.scan.ScanRunning = false;
    if (!bench_.scan.SystemIdle) {
        // The scan closes the window itself when it has stopped.
        bench_.scan.CloseRequested = true;
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
    QTimer& refresh = nav_->tmUpDate();
    if (refresh.isActive() && modulePageBuilt()) {
        pages_.cbAutoApDateId->setChecked(false);
        pages_.cbAutoApDateRAM->setChecked(false);
        refresh.setInterval(10);
        for (int guard = 0; refresh.isActive() && guard < 200; ++guard) engine().pause(10);
    }
    link_.shutDown();
    nav_->timer1().stop();
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
    storeWorkbenchSettings(s, bench_, menus_);
    s.hexDir = hexDir_.toStdString();
    port_->store(s);
    if (WindowSettings* stored = WindowSettings::of(this)) stored->save(s);
}

}  // namespace velmora::app
