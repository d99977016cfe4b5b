#pragma once
// One tab of the Module page, as the main window sees it. Each tab is an object of its
// own subsystem; the window only keeps the list and applies the page rules.

class QKeyEvent;
class QWidget;

namespace velmora {

class ModuleTab {
public:
    virtual ~ModuleTab() = default;
    // The page change shows this tab: read what it shows from the current module.
    virtual void read() = 0;
    // A tick of the refresh timer while the tab's "Авто" box is checked.
    virtual void refreshTick() { read(); }
    // A key of the tab's own (F5 ..., Shift with arrows); true when it was used.
    virtual bool key(QKeyEvent* key) {
        (void)key;
        return false;
    }
    // Any page change is about to happen: close editors that float over the tab.
    virtual void leave() {}
    // Where the focus goes when the tab is shown; nothing leaves it where it is.
    virtual QWidget* focusTarget() { return nullptr; }
};

// A tab whose subsystem is not in the program: it shows its controls and does nothing.
class InertModuleTab : public ModuleTab {
public:
    explicit InertModuleTab(QWidget* focus = nullptr) : focus_(focus) {}
    void read() override {}
    QWidget* focusTarget() override { return focus_; }
    void setFocusTarget(QWidget* focus) { focus_ = focus; }

private:
    QWidget* focus_;
};

}  // namespace velmora
