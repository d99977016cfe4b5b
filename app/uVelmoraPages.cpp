// TFTerminal: page changes, the keyboard, Timer1, the refresh timer, help and about.

#include <QApplication>
#include <QKeyEvent>

#include "app/TFAboutBox.h"
#include "app/TFHelp.h"
#include "app/uVelmora.h"

namespace velmora::app {

PageFlags TFTerminal::pageFlags() const {
    PageFlags f;
    f.systemIdle = scan_.SystemIdle;
    f.autoRam = modulePageBuilt() && pages_.cbAutoApDateRAM->isChecked();
    f.autoId = modulePageBuilt() && pages_.cbAutoApDateId->isChecked();
    f.selectionLevel = module_.SelectionLevel;
    f.scanPanelVisible = pages_.pSkan->isVisible();
    return f;
}

void TFTerminal::showMainPageQuietly(int page) {
    quietPageChange_ = true;
    pages_.pcChan->setCurrentIndex(page);
    quietPageChange_ = false;
}

void TFTerminal::showModuleTabQuietly(int tab) {
    // Not built yet: the page opens on this tab when it is.
    if (!modulePageBuilt()) {
        shownModuleTab_ = tab;
        return;
    }
    quietPageChange_ = true;
    pages_.pcMon->setCurrentIndex(tab);
    quietPageChange_ = false;
}

void TFTerminal::onMainTabChanged(int index) {
    // The page is on the screen already, empty, but is not painted before this returns.
    if (index == kModulePage) ensureModulePage();
    const int before = shownMainPage_;
    shownMainPage_ = index;
    if (quietPageChange_) return;
    if (!mainPageChangeAllowed(pageFlags())) {
        showMainPageQuietly(before);
        return;
    }
    pcChanChange();
}

void TFTerminal::onModuleTabChanged(int index) {
    const int before = shownModuleTab_;
    shownModuleTab_ = index;
    if (quietPageChange_) return;
    if (!modulePageChangeAllowed(pageFlags())) {
        showModuleTabQuietly(before);
        return;
    }
    readShownTabWhenFree();
}

void TFTerminal::readShownTabWhenFree() {
    // A tab chosen while another tab's read waits for its reply would read nothing (the
    // link refuses a nested transaction) and show empty cells: its read follows the one
    // under way, once, for whichever tab shows then.
    if (shownTabReadQueued_) return;
    shownTabReadQueued_ = true;
    link_.whenFree([this] {
        shownTabReadQueued_ = false;
        pcMonChange();
    });
}

void TFTerminal::pcChanChange() {
    const MainPageOutcome o = mainPageChange(pages_.pcChan->currentIndex(), previousPage_,
                                             moduleTabIndex(), module_.SelectionLevel);
    if (o.shownPage != pages_.pcChan->currentIndex()) showMainPageQuietly(o.shownPage);
    menus_.mmTools->menuAction()->setEnabled(o.toolsMenuEnabled);
    if (o.runModulePageChange) pcMonChange();
    setHexItems(o.hexItemsEnabled);
    if (o.focusCommandLine) pages_.cbKomStr->setFocus();
    previousPage_ = o.shownPage;
}

void TFTerminal::pcMonChange() {
    // Also asked for away from the page (after an erase, say): the shown tab is read, so
    // the page must be there.
    ensureModulePage();
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

void TFTerminal::setHexItems(bool enabled) {
    const bool on = enabled && hexLoadingAvailable_;
    menus_.mmLoadHex->setEnabled(on);
    menus_.mmLoadHex_Shift->setEnabled(on);
    menus_.mmBackupHex->setEnabled(on);
}

void TFTerminal::Timer1Timer() {
    // A tick during a transaction's wait would start a wait of its own inside it, and
    // the transaction could not end before that one: skip it, the next tick comes.
    if (pages_.pSkan->isVisible() || !engine().isFree()) return;
    timer1_.stop();
    showMainPageQuietly(kModulePage);
    showModuleTabQuietly(kIdentTab);
    engine().pause(static_cast<uint32_t>(options_.timer1Ms));
    pcChanChange();
}

void TFTerminal::TmUpdateTimer() {
    if (!engine().isFree()) return;  // the previous refresh still waits for its reply
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

bool TFTerminal::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, e);
    // The key goes first to the focused control of this window (or to the window when
    // nothing has the focus); a key that propagates to a parent is not seen twice.
    QWidget* focus = QApplication::focusWidget();
    QWidget* first = focus ? focus : static_cast<QWidget*>(this);
    if (watched != first || first->window() != this || QApplication::activeModalWidget() ||
        QApplication::activePopupWidget())
        return QMainWindow::eventFilter(watched, e);
    return FormKeyDown(static_cast<QKeyEvent*>(e));
}

bool TFTerminal::FormKeyDown(QKeyEvent* key) {
    FKey k = FKey::Other;
    switch (key->key()) {
        case Qt::Key_F1:
            k = FKey::F1;
            break;
        case Qt::Key_F5:
            k = FKey::F5;
            break;
        case Qt::Key_F6:
            k = FKey::F6;
            break;
        case Qt::Key_F7:
            k = FKey::F7;
            break;
        case Qt::Key_F8:
            k = FKey::F8;
            break;
        case Qt::Key_F9:
            k = FKey::F9;
            break;
        case Qt::Key_Escape:
            k = FKey::Escape;
            break;
        default:
            break;
    }
    const bool shiftOnly = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    const KeyOutcome o = keyAction(k, shiftOnly, pages_.pcChan->currentIndex(), pageFlags());
    switch (o.action) {
        case KeyAction::None:
            return false;
        case KeyAction::ShowHelp:
            return showHelp();
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

bool TFTerminal::showHelp() {
    // Looked up each time: the file may be put in place while the program runs.
    const QString path = options_.helpFile.isEmpty() ? locateHelpFile() : options_.helpFile;
    if (path.isEmpty()) return false;
    auto lines = readHelpFile(path);
    if (!lines) return false;
    if (!help_) help_ = new TFHelp(this);
    help_->setLines(*lines);
    afterReplyWait([this] { help_->exec(); });
    return true;
}

void TFTerminal::showAbout() {
    if (!about_) about_ = new TFAboutBox(this);
    about_->exec();
}

}  // namespace velmora::app
