#pragma once
// The main window's dialogs and tool windows, each made when first wanted and then
// kept; the command tester, made when opened and destroyed when it says it has closed.

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace velmora::link {
class LinkSession;
}
namespace velmora::system {
class TFEditParMod;
class TFHandSetConfig;
}  // namespace velmora::system
namespace velmora::tools {
class TFfreeTerminal;
class TFTestKom;
}  // namespace velmora::tools
namespace velmora::views {
class TFShowVar;
}

namespace velmora::app {

class TFHelp;
class TFAboutBox;

class WindowDialogs : public QObject {
    Q_OBJECT
public:
    // `afterReplyWait` runs an action once no transaction waits for its reply.
    WindowDialogs(QWidget* window, link::LinkSession& link,
                  std::function<void(std::function<void()>)> afterReplyWait);
    ~WindowDialogs() override;

    tools::TFfreeTerminal* freeTerminal();
    system::TFEditParMod* editParMod();
    system::TFHandSetConfig* handSetConfig();
    views::TFShowVar* showVar();
    // F1 with the help file at `path` (empty: looked up now); false when there is none.
    bool showHelp(const QString& path);
    void showAbout();

    // The tester is a window of its own and the main window is disabled while it is
    // open; `closed` runs (posted) when the user closes it.
    void openTester(std::function<void()> closed);
    void destroyTester();
    tools::TFTestKom* tester() const { return tester_; }

private:
    QWidget* window_;
    link::LinkSession& link_;
    std::function<void(std::function<void()>)> afterReplyWait_;
    tools::TFfreeTerminal* freeTerminal_ = nullptr;
    tools::TFTestKom* tester_ = nullptr;
    system::TFEditParMod* editParMod_ = nullptr;
    system::TFHandSetConfig* handSetConfig_ = nullptr;
    TFHelp* help_ = nullptr;
    TFAboutBox* about_ = nullptr;
    views::TFShowVar* showVar_ = nullptr;
};

}  // namespace velmora::app
