#pragma once
// The "  RAM/SFR  " tab: one 256-byte page of data memory chosen by range, edited in
// place, refreshed by hand or by "Авто", and the value inspector at the cursor.

#include <QObject>
#include <array>
#include <optional>

#include "common/gui/ModuleTab.h"
#include "views/GridMath.h"
#include "views/gui/CellEditor.h"
#include "views/gui/RamTabWidgets.h"
#include "views/gui/TFShowVar.h"
#include "views/gui/ViewHost.h"

class QAction;

namespace velmora::views {

class RamView : public QObject, public ModuleTab {
    Q_OBJECT
public:
    RamView(ViewHost host, RamTabWidgets& widgets, TFShowVar* showVar, QAction* pmRAM_ShowVar);

    void read() override;
    // A tick of `tmUpDate`: the page again, the editor and the focus left alone.
    void refreshTick() override { read(); }
    bool key(QKeyEvent* key) override;
    QWidget* focusTarget() override { return w_.sgRAM; }

    // `readRAMPage`.
    void readRAMPage(uint16_t base);
    bool RAMValid() const { return valid_; }
    Cell selected() const { return selected_; }
    const std::array<uint8_t, 4>& VarBytes() const { return varBytes_; }
    CellEditor* editor() { return edRAM_; }
    int AutoPeriodRAM() const { return autoPeriod_; }

private:
    void sgRAMSelectCell(int row, int column);
    void sgRAMClick();
    void openEditor(const QString& digit);
    void edRAMEnter();
    void rangeChange(int index);
    void pnRAM0Click(int tag);
    void edAdrRAMEnter();
    void autoChanged(bool on);
    void pmRAM_ShowVarClick();
    void paint();
    void showInspected(bool current);
    void error(const QString& text);

    ViewHost host_;
    RamTabWidgets& w_;
    TFShowVar* showVar_;
    CellEditor* edRAM_;
    bool valid_ = false;
    int range_ = 0;
    Cell selected_;
    int autoPeriod_ = 500;
    std::array<uint8_t, 4> varBytes_{};
    // Whose bytes `varBytes_` holds: a value read from one module is never shown as
    // another's.
    std::optional<access::ModuleAddress> inspected_;
};

}  // namespace velmora::views
