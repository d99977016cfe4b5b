// TFTerminal: the menus' wiring, the speed, the port dialog, device changes and the
// port check.

#include <QApplication>
#include <QMenuBar>

#include "common/gui/ImageList.h"
#include "app/ScanRangeDialog.h"
#include "app/SpeedChoice.h"
#include "app/TFselectComm.h"
#include "app/uVelmora.h"

namespace velmora::app {

void TFTerminal::connectMenus() {
    MainMenus& m = menus_;
    connect(m.N2, &QAction::triggered, this, &QWidget::close);
    connect(m.mmNomComm, &QAction::triggered, this,
            [this] { afterReplyWait([this] { mmNomCommClick(); }); });
    connect(m.mmScanRange, &QAction::triggered, this,
            [this] { afterReplyWait([this] { mmScanRangeClick(); }); });
    // Applied to the open port at once, and kept for the next start.
    connect(m.mmFlow, &QAction::toggled, this, [this](bool on) { Comm().setHardwareFlow(on); });
    for (size_t i = 0; i < m.mmSpeed.size(); ++i)
        connect(m.mmSpeed[i], &QAction::triggered, this,
                [this, i] { setSystemSpeed(kSystemSpeeds[i]); });
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
                afterReplyWait([this] { showAbout(); });
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
    connect(pages_.pcChan, &QTabWidget::currentChanged, this, &TFTerminal::onMainTabChanged);
    connect(pages_.btn_sysUpDate, &QPushButton::clicked, this,
            [this] { systemActions_->busScan(); });
    connect(pages_.btnStopSkan, &QPushButton::clicked, this,
            [this] { systemActions_->stopScan(); });
}

void TFTerminal::connectPort() {
    // CommFatalError: the session has marked the link lost; the icon follows.
    // A failure for lack of rights also says so, with the fix.
    connect(&link_, &link::LinkSession::openFailed, this, [this] {
        setPortIcon(gui::kImgPortClosed);
        if (!Comm().openAdvice().isEmpty()) sb1_->setPanelText(2, Comm().openAdvice());
    });
    // The port closed itself: an unplugged adapter, which a device-change notice does
    // not always announce. The icon and panel 2 say so until the port check's first
    // tick says "Comm порт отключен".
    connect(&link_, &link::LinkSession::deviceLost, this, [this] {
        setPortIcon(gui::kImgPortClosed);
        sb1_->setPanelText(2, "В системе смена оборудования");
    });
    connect(&link_, &link::LinkSession::hardwareChanged, this,
            [this] { postWindowMessage(kMsgDeviceChange); });
    connect(&link_, &link::LinkSession::portCheckFailed, this, [this] {
        const QString advice = Comm().openAdvice();
        sb1_->setPanelText(2, advice.isEmpty() ? QStringLiteral("Comm порт отключен") : advice);
    });
    connect(&link_, &link::LinkSession::portReopened, this, [this] {
        setPortIcon(gui::kImgPortOpen);
        sb1_->setPanelText(2, "");
    });
}

void TFTerminal::setSystemSpeed(uint32_t bps) {
    const uint32_t speed = normalizedSystemSpeed(bps);
    menus_.mmSpeed[static_cast<size_t>(systemSpeedIndex(speed))]->setChecked(true);
    SystemSpeed = speed;
    Comm().setBaud(speed);
}

void TFTerminal::refreshSpeedMenu() {
    menus_.speedGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (size_t i = 2; i < menus_.mmSpeed.size(); ++i) menus_.mmSpeed[i]->setChecked(false);
    const int index = systemSpeedIndex(Comm().baud());
    if (index >= 2) menus_.mmSpeed[static_cast<size_t>(index)]->setChecked(true);
}

void TFTerminal::setPortIcon(int index) {
    portIcon_ = index;
    menus_.mmComm1->menuAction()->setIcon(gui::imageIcon(index));
}

void TFTerminal::mmNomCommClick() {
    TFselectComm* dialog = selectComm();
    dialog->exec();
    if (dialog->choiceChanged()) {
        savedPort_ = Comm().choice();
        link_.setChoice(savedPort_);
    }
    setPortIcon(Comm().isOpen() ? gui::kImgPortOpen : gui::kImgPortClosed);
}

void TFTerminal::mmScanRangeClick() {
    ScanRangeDialog dialog(this);
    dialog.setRange(scanRange_);
    dialog.exec();
    if (dialog.chosen()) scanRange_ = *dialog.chosen();
}

void TFTerminal::WMDeviceChange() {
    link_.handleDeviceChange();
    sb1_->setPanelText(2, "В системе смена оборудования");
    sb1_->repaintNow();
}

}  // namespace velmora::app
