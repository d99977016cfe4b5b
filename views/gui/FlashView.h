#pragma once
// The "  Flash  " tab: one 256-byte page of program memory, read-only, paged by the
// address box, the arrow buttons and Page Up / Page Down, never below `FlashBottom`.

#include <QObject>

#include "common/gui/ModuleTab.h"
#include "views/gui/FlashTabWidgets.h"
#include "views/gui/ViewHost.h"

namespace velmora::views {

class FlashView : public QObject, public ModuleTab {
    Q_OBJECT
public:
    FlashView(ViewHost host, FlashTabWidgets& widgets);

    void read() override;
    bool key(QKeyEvent* key) override;
    QWidget* focusTarget() override { return w_.sgFL; }

    // `readFlashPage`: the page from `base` into the grid.
    void readFlashPage(uint16_t base);
    // `stepFlashPage`: moves by a signed step unless that leaves FlashBottom..0xFFFF.
    void stepFlashPage(int32_t step);
    bool FlashValid() const { return valid_; }

private:
    void sgFLSelectCell(int row, int column);
    void edAdrFLEnter();
    void cbBottomAdrFLChange(int index);
    void arrowClicked(int32_t step);
    void showAddress();
    void paint();

    ViewHost host_;
    FlashTabWidgets& w_;
    bool valid_ = false;
    int32_t lastStep_ = 0;
};

}  // namespace velmora::views
