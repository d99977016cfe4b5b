#pragma once
// "Окно просмотра": the variable browser, a small always-on-top window beside the main
// window that reads its list of RAM variables again and again. Closing it calls
// `onClosed` (the main window's message 1124).

#include <QTreeWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "link/TransactionEngine.h"
#include "tools/BrowserList.h"
#include "tools/gui/TFEditBrow.h"

namespace velmora::tools {

class TFBrowser : public QWidget {
    Q_OBJECT
public:
    TFBrowser(link::TransactionEngine& engine, TFEditBrow& editor, QWidget* parent = nullptr);

    std::function<void()> onClosed;

    // One row a line of the list, its fields in the header's columns.
    QTreeWidget* reBrow = nullptr;
    QMenu* popup = nullptr;
    QAction* pmAdd = nullptr;
    QAction* pmChange = nullptr;
    QAction* pmDelete = nullptr;
    QSpinBox* spPeriod = nullptr;
    QPushButton* bbGEN = nullptr;
    QPushButton* btnCloseBrw = nullptr;
    QTimer timUpData;

    const BrowserList& list() const { return list_; }

    void addClick();
    void changeClick();
    void deleteClick();
    void bbGENClick();
    void timUpDataTimer();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void stopTimer();
    void showList();
    void reBrowClicked(int row);

    link::TransactionEngine& engine_;
    TFEditBrow& editor_;
    BrowserList list_;
};

}  // namespace velmora::tools
