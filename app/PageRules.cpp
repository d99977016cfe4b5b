#include "app/PageRules.h"

namespace velmora::app {

bool mainPageChangeAllowed(const PageFlags& f) {
    return f.systemIdle && !f.autoRam && !f.autoId;
}

bool modulePageChangeAllowed(const PageFlags& f) {
    return !f.autoRam && !f.autoId;
}

MainPageOutcome mainPageChange(int chosen, int previous, int moduleTab, uint8_t selectionLevel) {
    MainPageOutcome out;
    out.shownPage = chosen;
    if (selectionLevel == 0 && chosen == kModulePage) out.shownPage = previous;
    switch (out.shownPage) {
        case kModulePage:
            out.runModulePageChange = selectionLevel != 0;
            out.hexItemsEnabled = moduleTab == kFlashTab;
            break;
        case kTerminalPage:
            out.toolsMenuEnabled = true;
            out.focusCommandLine = true;
            break;
        default:
            break;
    }
    return out;
}

ModuleTabOutcome modulePageChange(int tab) {
    switch (tab) {
        case kFlashTab:
            return {true, ClearFlashItem::Show};
        case kRamTab:
            return {false, ClearFlashItem::Hide};
        case kEepromTab:
            return {false, ClearFlashItem::Hide};
        case kSfrTab:
            return {false, ClearFlashItem::Keep};
        default:
            return {false, ClearFlashItem::Hide};
    }
}

KeyOutcome keyAction(FKey key, bool shiftOnly, int mainPage, const PageFlags& f) {
    const bool onModule = mainPage == kModulePage;
    const bool moduleShift = onModule && shiftOnly;
    // F6 and F7 leave the System page only when something is selected.
    const bool mayLeave = mainPage != kSystemPage || f.selectionLevel == 1 || f.selectionLevel == 2;
    switch (key) {
        case FKey::F1:
            return {KeyAction::ShowHelp};
        case FKey::F5:
            if (moduleShift) return {KeyAction::ModuleTab, kIdentTab};
            return {KeyAction::SystemPageChange};
        case FKey::F6:
            if (moduleShift) return {KeyAction::ModuleTab, kFlashTab};
            return {mayLeave ? KeyAction::ShowModulePage : KeyAction::None};
        case FKey::F7:
            if (moduleShift) return {KeyAction::ModuleTab, kRamTab};
            return {mayLeave ? KeyAction::ShowTerminalPage : KeyAction::None};
        case FKey::F8:
            if (moduleShift) return {KeyAction::ModuleTab, kEepromTab};
            return onModule ? KeyOutcome{KeyAction::PassToModulePage} : KeyOutcome{};
        case FKey::F9:
            if (moduleShift) return {KeyAction::ModuleTab, kSfrTab};
            return onModule ? KeyOutcome{KeyAction::PassToModulePage} : KeyOutcome{};
        case FKey::Escape:
            if (mainPage == kSystemPage && f.scanPanelVisible) return {KeyAction::StopScan};
            return onModule ? KeyOutcome{KeyAction::PassToModulePage} : KeyOutcome{};
        default:
            return onModule ? KeyOutcome{KeyAction::PassToModulePage} : KeyOutcome{};
    }
}

}  // namespace velmora::app
