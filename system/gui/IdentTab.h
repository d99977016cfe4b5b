#pragma once
// The Module page's identifier tab: reads the current module's identifier when the tab
// is shown, by the refresh button and by the refresh timer while "Авто" is checked, and
// edits a node's link parameters from list lines 16 to 19.

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "common/gui/ModuleTab.h"
#include "link/qt/LinkSession.h"
#include "system/CurrentModule.h"
#include "system/IdentReader.h"
#include "system/LinkParams.h"
#include "system/gui/IdentTabWidgets.h"
#include "system/gui/TFEditParMod.h"

class QAction;

namespace velmora::system {

// What the tab needs of the window around it.
struct IdentTabFrame {
    link::LinkSession* session = nullptr;
    CurrentModule* module = nullptr;
    link::StatusPanel* status = nullptr;    // status panel 2
    QTimer* tmUpDate = nullptr;             // the refresh timer shared with the RAM tab
    std::vector<QAction*> lockedWhileAuto;  // the "Файл" and "Настройки" menus
    std::vector<QAction*> initEntries;  // the "Инициализировать модуль" popup entries
    std::function<void()> pageChange;   // the Module page change
    std::function<bool()> otherAutoOn;  // the RAM tab's own "Авто"
    TFEditParMod* editor = nullptr;
    QWidget* dialogParent = nullptr;
};

class IdentTab : public QObject, public ModuleTab {
    Q_OBJECT
public:
    IdentTab(IdentTabWidgets& widgets, IdentTabFrame frame, QObject* parent = nullptr);

    void read() override;
    bool key(QKeyEvent* key) override;
    QWidget* focusTarget() override { return w_.lbIdMod; }

    void setNamesFile(std::string path) { namesFile_ = std::move(path); }
    bool readSucceeded() const { return last_.ok; }
    int periodMs() const;

    // A double click on list line `line` (held until the link is free).
    void editLine(int line);

private:
    void readAndShow();
    void show();
    void autoToggled(bool on);
    void editNow(int line);
    bool askValue(const LinkParamInfo& p, const QString& lineText, uint8_t& value);
    void complain(const QString& text);

    IdentTabWidgets& w_;
    IdentTabFrame f_;
    std::string namesFile_;
    IdentRead last_;
    std::string namesNotice_;
    bool readPending_ = false;
    std::vector<bool> initWasEnabled_;
};

}  // namespace velmora::system
