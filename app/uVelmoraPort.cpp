// TFTerminal: the menus' wiring.

#include <QApplication>
#include <QMenuBar>

#include "app/ScanRangeDialog.h"
#include "app/uVelmora.h"

namespace velmora::app {

void TFTerminal::connectMenus() {
    MainMenus& m = menus_;
    connect(m.N2, &QAction::triggered, this, &QWidget::close);
    connect(m.mmScanRange, &QAction::triggered, this,
            [this] { afterReplyWait([this] { mmScanRangeClick(); }); });
    // A click on either CRC order inverts both marks.
    connect(m.mmCRC_lo, &QAction::triggered, this,
            [&m] { m.mmCRC_hi->setChecked(!m.mmCRC_hi->isChecked()); });
    connect(m.mmCRC_hi, &QAction::triggered, this,
            [&m] { m.mmCRC_lo->setChecked(!m.mmCRC_lo->isChecked()); });
    // "О программе" acts on its title; its one empty item does nothing.
    connect(m.N17, &QMenu::aboutToShow, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                menus_.N17->hide();
                afterReplyWait([this] { dialogs_->showAbout(); });
            },
            Qt::QueuedConnection);
    });
    for (QAction* hint : m.N8->actions()) {
        for (const FormatHint& h : formatHints()) {
            if (hint->objectName() != h.name) continue;
            QString text = h.hint;
            connect(hint, &QAction::triggered, this, [this, text] {
                pages_.pHint->setText(text);
                pages_.cbKomStr->setFocus();
            });
        }
    }
    connect(pages_.btn_sysUpDate, &QPushButton::clicked, this,
            [this] { nav_->systemActions().busScan(); });
    connect(pages_.btnStopSkan, &QPushButton::clicked, this,
            [this] { nav_->systemActions().stopScan(); });
}

void TFTerminal::mmScanRangeClick() {
    ScanRangeDialog dialog(this);
    dialog.setRange(bench_.scanRange);
    dialog.exec();
    if (dialog.chosen()) bench_.scanRange = *dialog.chosen();
}

}  // namespace velmora::app
