#pragma once
// The "  SFR  " tab: the 128 special function registers by name, sorted, each value
// editable in place.

#include <QObject>

#include "common/gui/ModuleTab.h"
#include "views/gui/CellEditor.h"
#include "views/gui/SfrTabWidgets.h"
#include "views/gui/ViewHost.h"

namespace velmora::views {

class SfrView : public QObject, public ModuleTab {
    Q_OBJECT
public:
    SfrView(ViewHost host, SfrTabWidgets& widgets);

    void read() override { readSFRPage(); }
    bool key(QKeyEvent* key) override;
    void leave() override { edSFR_->hide(); }
    QWidget* focusTarget() override { return w_.lbSFR; }

    // `readSFRPage`. With no module selected the names show with "??" and nothing is sent.
    void readSFRPage();
    CellEditor* editor() { return edSFR_; }

private:
    void lbSFRClick();
    void openEditor();
    void edSFREnter();
    void error(const QString& text);

    ViewHost host_;
    SfrTabWidgets& w_;
    CellEditor* edSFR_;
};

}  // namespace velmora::views
