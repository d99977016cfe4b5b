#pragma once
// The "  EEPROM  " tab: one 256-byte page of the data EEPROM chosen by range, edited in
// place.

#include <QObject>

#include "common/gui/ModuleTab.h"
#include "views/GridMath.h"
#include "views/gui/CellEditor.h"
#include "views/gui/EepromTabWidgets.h"
#include "views/gui/ViewHost.h"

namespace velmora::views {

class EepromView : public QObject, public ModuleTab {
    Q_OBJECT
public:
    EepromView(ViewHost host, EepromTabWidgets& widgets);

    void read() override { readEEPage(); }
    bool key(QKeyEvent* key) override;
    QWidget* focusTarget() override { return w_.sgEE; }

    // `readEEPage`: the page of the current range.
    void readEEPage();
    // `sbUpDateSE`: every data cell emptied, then the Module page change.
    void refresh();
    Cell selected() const { return selected_; }
    CellEditor* editor() { return edEE_; }

private:
    void sgEESelectCell(int row, int column);
    void sgEEClick();
    void openEditor(const QString& digit);
    void edEEEnter();
    void rangeChange(int index);
    void pnEE0Click(int tag);
    void edAdrEEEnter();
    void fill(const QString& text, int fromRow);
    void paint();
    void error(const QString& text);

    ViewHost host_;
    EepromTabWidgets& w_;
    CellEditor* edEE_;
    Cell selected_;
};

}  // namespace velmora::views
