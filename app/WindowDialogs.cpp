#include "app/WindowDialogs.h"

#include "app/TFAboutBox.h"
#include "app/TFHelp.h"
#include "link/qt/LinkSession.h"
#include "system/gui/TFEditParMod.h"
#include "system/gui/TFHandSetConfig.h"
#include "tools/gui/TFTestKom.h"
#include "tools/gui/TFfreeTerminal.h"
#include "views/gui/TFShowVar.h"

namespace velmora::app {

WindowDialogs::WindowDialogs(QWidget* window, link::LinkSession& link,
                             std::function<void(std::function<void()>)> afterReplyWait)
    : QObject(window), window_(window), link_(link), afterReplyWait_(std::move(afterReplyWait)) {}

WindowDialogs::~WindowDialogs() {
    delete tester_;
}

tools::TFfreeTerminal* WindowDialogs::freeTerminal() {
    if (!freeTerminal_) freeTerminal_ = new tools::TFfreeTerminal(link_.comm(), window_);
    return freeTerminal_;
}

system::TFEditParMod* WindowDialogs::editParMod() {
    if (!editParMod_) editParMod_ = new system::TFEditParMod(window_);
    return editParMod_;
}

system::TFHandSetConfig* WindowDialogs::handSetConfig() {
    if (!handSetConfig_) {
        handSetConfig_ = new system::TFHandSetConfig(window_);
        handSetConfig_->setPortSpeedSource([this] { return link_.comm().baud(); });
    }
    return handSetConfig_;
}

views::TFShowVar* WindowDialogs::showVar() {
    if (!showVar_) showVar_ = new views::TFShowVar(window_);
    return showVar_;
}

bool WindowDialogs::showHelp(const QString& given) {
    // Looked up each time: the file may be put in place while the program runs.
    const QString path = given.isEmpty() ? locateHelpFile() : given;
    if (path.isEmpty()) return false;
    auto lines = readHelpFile(path);
    if (!lines) return false;
    if (!help_) help_ = new TFHelp(window_);
    help_->setLines(*lines);
    afterReplyWait_([this] { help_->exec(); });
    return true;
}

void WindowDialogs::showAbout() {
    if (!about_) about_ = new TFAboutBox(window_);
    about_->exec();
}

void WindowDialogs::openTester(std::function<void()> closed) {
    if (tester_) {
        tester_->activateWindow();
        return;
    }
    // No parent: a disabled main window would disable its child windows too.
    tester_ = new tools::TFTestKom(link_, std::move(closed));
    window_->setEnabled(false);
    tester_->show();
}

void WindowDialogs::destroyTester() {
    delete tester_;
    tester_ = nullptr;
    window_->setEnabled(true);
}

}  // namespace velmora::app
