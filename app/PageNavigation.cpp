#include "app/PageNavigation.h"

#include <QKeyEvent>

namespace velmora::app {

PageNavigation::PageNavigation(Frame f, QObject* parent)
    : QObject(parent),
      pages_(*f.pages),
      menus_(*f.menus),
      bench_(*f.bench),
      ensureModulePage_(std::move(f.ensureModulePage)),
      showHelp_(std::move(f.showHelp)),
      timer1Ms_(f.timer1Ms) {
    // Until the Module page is built, and then until a subsystem plugs its own tab in,
    // a tab does nothing.
    for (size_t i = 0; i < inertTabs_.size(); ++i) {
        inertTabs_[i] = std::make_unique<InertModuleTab>(nullptr);
        tabs_[i] = inertTabs_[i].get();
    }
    timer1_.setInterval(timer1Ms_);
    connect(&timer1_, &QTimer::timeout, this, &PageNavigation::Timer1Timer);
    connect(&tmUpDate_, &QTimer::timeout, this, &PageNavigation::TmUpdateTimer);
    connect(pages_.pcChan, &QTabWidget::currentChanged, this, &PageNavigation::onMainTabChanged);
}

void PageNavigation::bindModulePage() {
    // The tab the page was last asked to show (the Ident tab unless told otherwise) is set
    // before the page change handler is connected, so it is no page change. The quiet
    // flag is left alone: a quiet show of the Module page (Timer1, F6) builds the page
    // from inside its own change, and must stay quiet.
    pages_.pcMon->setCurrentIndex(shownModuleTab_);
    connect(pages_.pcMon, &QTabWidget::currentChanged, this, &PageNavigation::onModuleTabChanged);
}

int PageNavigation::moduleTabIndex() const {
    return modulePageBuilt() ? pages_.pcMon->currentIndex() : shownModuleTab_;
}

void PageNavigation::setModuleTab(int tab, ModuleTab* handler) {
    const auto i = static_cast<size_t>(tab);
    tabs_[i] = handler ? handler : inertTabs_[i].get();
}

void PageNavigation::setDefaultModuleTab(int tab, ModuleTab* handler) {
    const auto i = static_cast<size_t>(tab);
    if (tabs_[i] == inertTabs_[i].get()) tabs_[i] = handler;
}

void PageNavigation::setInertFocus(int tab, QWidget* focus) {
    inertTabs_[static_cast<size_t>(tab)]->setFocusTarget(focus);
}

void PageNavigation::setSystemActions(workbench::SystemPageActions* actions) {
    systemActions_ = actions ? actions : &inertSystem_;
}

PageFlags PageNavigation::pageFlags() const {
    PageFlags f;
    f.systemIdle = bench_.scan.SystemIdle;
    f.autoRam = modulePageBuilt() && pages_.cbAutoApDateRAM->isChecked();
    f.autoId = modulePageBuilt() && pages_.cbAutoApDateId->isChecked();
    f.selectionLevel = bench_.module.SelectionLevel;
    f.scanPanelVisible = pages_.pSkan->isVisible();
    return f;
}

void PageNavigation::showMainPageQuietly(int page) {
    quietPageChange_ = true;
    pages_.pcChan->setCurrentIndex(page);
    quietPageChange_ = false;
}

void PageNavigation::showModuleTabQuietly(int tab) {
    // Not built yet: the page opens on this tab when it is.
    if (!modulePageBuilt()) {
        shownModuleTab_ = tab;
        return;
    }
    quietPageChange_ = true;
    pages_.pcMon->setCurrentIndex(tab);
    quietPageChange_ = false;
}

void PageNavigation::showStartPages() {
    showMainPageQuietly(kSystemPage);
    showModuleTabQuietly(kIdentTab);
    previousPage_ = kSystemPage;
}

void PageNavigation::onMainTabChanged(int index) {
    // The page is on the screen already, empty, but is not painted before this returns.
    if (index == kModulePage) ensureModulePage_();
    const int before = shownMainPage_;
    shownMainPage_ = index;
    if (quietPageChange_) return;
    if (!mainPageChangeAllowed(pageFlags())) {
        showMainPageQuietly(before);
        return;
    }
    pcChanChange();
}

void PageNavigation::onModuleTabChanged(int index) {
    const int before = shownModuleTab_;
    shownModuleTab_ = index;
    if (quietPageChange_) return;
    if (!modulePageChangeAllowed(pageFlags())) {
        showModuleTabQuietly(before);
        return;
    }
    readShownTabWhenFree();
}

void PageNavigation::readShownTabWhenFree() {
    // A tab chosen while another tab's read waits for its reply would read nothing (the
    // link refuses a nested transaction) and show empty cells: its read follows the one
    // under way, once, for whichever tab shows then.
    if (shownTabReadQueued_) return;
    shownTabReadQueued_ = true;
    bench_.session().whenFree([this] {
        shownTabReadQueued_ = false;
        pcMonChange();
    });
}

void PageNavigation::pcChanChange() {
    const MainPageOutcome o = mainPageChange(pages_.pcChan->currentIndex(), previousPage_,
                                             moduleTabIndex(), bench_.module.SelectionLevel);
    if (o.shownPage != pages_.pcChan->currentIndex()) showMainPageQuietly(o.shownPage);
    menus_.mmTools->menuAction()->setEnabled(o.toolsMenuEnabled);
    if (o.runModulePageChange) pcMonChange();
    setHexItems(o.hexItemsEnabled);
    if (o.focusCommandLine) pages_.cbKomStr->setFocus();
    previousPage_ = o.shownPage;
}

void PageNavigation::pcMonChange() {
    // Also asked for away from the page (after an erase, say): the shown tab is read, so
    // the page must be there.
    ensureModulePage_();
    for (ModuleTab* t : tabs_) t->leave();
    const int tab = pages_.pcMon->currentIndex();
    const ModuleTabOutcome o = modulePageChange(tab);
    setHexItems(o.hexItemsEnabled);
    ModuleTab* shown = tabs_[static_cast<size_t>(tab)];
    shown->read();
    if (o.clearFlash != ClearFlashItem::Keep)
        menus_.pmSys_ClFl->setVisible(o.clearFlash == ClearFlashItem::Show);
    if (QWidget* focus = shown->focusTarget()) focus->setFocus();
}

void PageNavigation::setHexItems(bool enabled) {
    const bool on = enabled && hexLoadingAvailable_;
    menus_.mmLoadHex->setEnabled(on);
    menus_.mmLoadHex_Shift->setEnabled(on);
    menus_.mmBackupHex->setEnabled(on);
}

void PageNavigation::Timer1Timer() {
    // A tick during a transaction's wait would start a wait of its own inside it, and
    // the transaction could not end before that one: skip it, the next tick comes.
    if (pages_.pSkan->isVisible() || !bench_.engine().isFree()) return;
    timer1_.stop();
    showMainPageQuietly(kModulePage);
    showModuleTabQuietly(kIdentTab);
    bench_.engine().pause(static_cast<uint32_t>(timer1Ms_));
    pcChanChange();
}

void PageNavigation::TmUpdateTimer() {
    if (!bench_.engine().isFree()) return;  // the previous refresh still waits for its reply
    const int tab = moduleTabIndex();
    const bool onModule = modulePageBuilt() && pages_.pcChan->currentIndex() == kModulePage;
    if (onModule && tab == kRamTab && pages_.cbAutoApDateRAM->isChecked()) {
        tabs_[kRamTab]->refreshTick();
    } else if (onModule && tab == kIdentTab && pages_.cbAutoApDateId->isChecked()) {
        pcMonChange();
    } else {
        tmUpDate_.stop();
    }
}

namespace {

FKey fkeyOf(int key) {
    switch (key) {
        case Qt::Key_F1: return FKey::F1;
        case Qt::Key_F5: return FKey::F5;
        case Qt::Key_F6: return FKey::F6;
        case Qt::Key_F7: return FKey::F7;
        case Qt::Key_F8: return FKey::F8;
        case Qt::Key_F9: return FKey::F9;
        case Qt::Key_Escape: return FKey::Escape;
        default: return FKey::Other;
    }
}

}  // namespace

bool PageNavigation::key(QKeyEvent* key) {
    const bool shiftOnly = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    const KeyOutcome o =
        keyAction(fkeyOf(key->key()), shiftOnly, pages_.pcChan->currentIndex(), pageFlags());
    switch (o.action) {
        case KeyAction::None:
            return false;
        case KeyAction::ShowHelp:
            return showHelp_();
        case KeyAction::ModuleTab:
            showModuleTabQuietly(o.tab);
            readShownTabWhenFree();
            return true;
        case KeyAction::SystemPageChange:
            showMainPageQuietly(kSystemPage);
            pcChanChange();
            return true;
        case KeyAction::ShowModulePage:
            showMainPageQuietly(kModulePage);
            return true;
        case KeyAction::ShowTerminalPage:
            showMainPageQuietly(kTerminalPage);
            return true;
        case KeyAction::StopScan:
            systemActions_->stopScan();
            return true;
        case KeyAction::PassToModulePage:
            return tabs_[static_cast<size_t>(moduleTabIndex())]->key(key);
    }
    return false;
}

}  // namespace velmora::app
