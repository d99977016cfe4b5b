#include "app/PortControls.h"

#include "app/SpeedChoice.h"
#include "app/TFselectComm.h"
#include "common/gui/ImageList.h"

namespace velmora::app {

PortControls::PortControls(Frame f, QObject* parent)
    : QObject(parent),
      link_(*f.link),
      menus_(*f.menus),
      status_(*f.status),
      window_(f.window),
      portOverride_(std::move(f.portOverride)),
      hardwarePollMs_(f.hardwarePollMs),
      portFacts_(std::move(f.portFacts)),
      portIcon_(gui::kImgPortClosed) {
    MainMenus& m = menus_;
    connect(m.mmNomComm, &QAction::triggered, this,
            [this, wait = f.afterReplyWait] { wait([this] { mmNomCommClick(); }); });
    // Applied to the open port at once, and kept for the next start.
    connect(m.mmFlow, &QAction::toggled, this, [this](bool on) { link_.comm().setHardwareFlow(on); });
    for (size_t i = 0; i < m.mmSpeed.size(); ++i)
        connect(m.mmSpeed[i], &QAction::triggered, this,
                [this, i] { setSystemSpeed(kSystemSpeeds[i]); });

    // CommFatalError: the session has marked the link lost; the icon follows.
    // A failure for lack of rights also says so, with the fix.
    connect(&link_, &link::LinkSession::openFailed, this, [this] {
        setPortIcon(gui::kImgPortClosed);
        if (!link_.comm().openAdvice().isEmpty()) status_.setPanelText(2, link_.comm().openAdvice());
    });
    // The port closed itself: an unplugged adapter, which a device-change notice does
    // not always announce. The icon and panel 2 say so until the port check's first
    // tick says "Comm порт отключен".
    connect(&link_, &link::LinkSession::deviceLost, this, [this] {
        setPortIcon(gui::kImgPortClosed);
        status_.setPanelText(2, "В системе смена оборудования");
    });
    connect(&link_, &link::LinkSession::portCheckFailed, this, [this] {
        const QString advice = link_.comm().openAdvice();
        status_.setPanelText(2, advice.isEmpty() ? QStringLiteral("Comm порт отключен") : advice);
    });
    connect(&link_, &link::LinkSession::portReopened, this, [this] {
        setPortIcon(gui::kImgPortOpen);
        status_.setPanelText(2, "");
    });
}

bool PortControls::openAtStart(const AppSettings& s) {
    setSystemSpeed(s.systemSpeed);
    savedPort_ = link::PortChoice{s.portNumber, QString::fromStdString(s.portPath)};
    link_.setChoice(portOverride_.value_or(savedPort_));
    menus_.mmFlow->setChecked(s.hardwareFlow);
    link_.comm().setHardwareFlow(s.hardwareFlow);
    link_.startWatching(hardwarePollMs_);

    const bool opened = link_.openPort();
    setPortIcon(opened ? gui::kImgPortOpen : gui::kImgPortClosed);
    if (!opened) mmNomCommClick();
    return link_.comm().isOpen();
}

void PortControls::store(AppSettings& s) const {
    s.systemSpeed = systemSpeed_;
    s.portNumber = savedPort_.number;
    s.portPath = savedPort_.path.toStdString();
    s.hardwareFlow = menus_.mmFlow->isChecked();
}

void PortControls::setSystemSpeed(uint32_t bps) {
    const uint32_t speed = normalizedSystemSpeed(bps);
    menus_.mmSpeed[static_cast<size_t>(systemSpeedIndex(speed))]->setChecked(true);
    systemSpeed_ = speed;
    link_.comm().setBaud(speed);
}

void PortControls::refreshSpeedMenu() {
    menus_.speedGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (size_t i = 2; i < menus_.mmSpeed.size(); ++i) menus_.mmSpeed[i]->setChecked(false);
    const int index = systemSpeedIndex(link_.comm().baud());
    if (index >= 2) menus_.mmSpeed[static_cast<size_t>(index)]->setChecked(true);
}

void PortControls::setPortIcon(int index) {
    portIcon_ = index;
    menus_.mmComm1->menuAction()->setIcon(gui::imageIcon(index));
}

TFselectComm* PortControls::selectComm() {
    if (!selectComm_)
        selectComm_ = new TFselectComm(
            link_.comm(), [this] { link_.state().PortLost = false; }, window_, portFacts_);
    return selectComm_;
}

void PortControls::mmNomCommClick() {
    TFselectComm* dialog = selectComm();
    dialog->exec();
    if (dialog->choiceChanged()) {
        savedPort_ = link_.comm().choice();
        link_.setChoice(savedPort_);
    }
    setPortIcon(link_.comm().isOpen() ? gui::kImgPortOpen : gui::kImgPortClosed);
}

void PortControls::WMDeviceChange() {
    link_.handleDeviceChange();
    status_.setPanelText(2, "В системе смена оборудования");
    status_.repaintNow();
}

}  // namespace velmora::app
