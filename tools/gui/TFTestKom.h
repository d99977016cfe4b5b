#pragma once
// The command tester window "Тестовый генератор": open test files, switch them on and off,
// run the generator (cyclic, once, step by step), watch requests and replies. The device
// sequence of a tick is tools::runTestTick, shared with `velmora-cli test`.

#include <QMainWindow>
#include <QStringList>
#include <functional>

#include "tools/TestList.h"
#include "tools/TesterTick.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QSpinBox;
class QTimer;

namespace velmora::link { class LinkSession; }

namespace velmora::tools {

class TFEditorTest;

class TFTestKom : public QMainWindow {
    Q_OBJECT
public:
    // `closed` runs once the window has written its log (message 1125 to the main window).
    TFTestKom(link::LinkSession& link, std::function<void()> closed, QWidget* parent = nullptr);
    ~TFTestKom() override;

    // Opens the files as "Открыть" does after the dialog; a file refused by the check
    // (a bad line, no command) is named in a message and not opened.
    void openFiles(const QStringList& paths);

    // One tick, as the timer or F8 runs it.
    void timGENtestTimer();

    const TestList& testList() const { return list_; }
    const QStringList& testLog() const { return TestLog; }
    // The log's folder; the program's directory unless a test says otherwise.
    void setLogDirectory(const QString& dir) { logDir_ = dir; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void TG_OpenFileClick();
    void rbGENactiveClick();
    void rgReg_CiklClick();
    void clbFileNameKeyPress();
    void refillFileList();
    void showTick(const TickResult& tick);
    CycleMode mode() const;
    QString stamp() const;
    bool writeLog(QString& error);

    link::LinkSession& link_;
    std::function<void()> closed_;
    TestList list_;
    QStringList TestLog;
    QString logDir_;
    bool stepWaiting_ = false;

    QListWidget* clbFileName = nullptr;
    QListWidget* lbMonTest = nullptr;
    QSpinBox* seGENtest = nullptr;
    QCheckBox* rbGENactive = nullptr;
    QButtonGroup* rgReg_Cikl = nullptr;
    QLabel* sbPanel0 = nullptr;
    QLabel* sbPanel1 = nullptr;
    QTimer* timGENtest = nullptr;
    QAction* mmMon_on = nullptr;
    QAction* mmMon_off = nullptr;
    TFEditorTest* editor_ = nullptr;  // made with the first opening, a child of this window
};

}  // namespace velmora::tools
