#pragma once
// "Выбор номера Comm порта": choose the serial port. Left only through its buttons.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>

#include "link/qt/PortFacts.h"
#include "link/qt/TnrComm.h"

namespace velmora::app {

class TFselectComm : public QDialog {
    Q_OBJECT
public:
    using PortLister = std::function<QList<link::PortFacts>()>;
    // `clearPortLost` runs before "Закрыть" opens the port. `lister` names the devices
    // present with what is known of them (the machine's own by default).
    TFselectComm(link::TnrComm& comm, std::function<void()> clearPortLost,
                 QWidget* parent = nullptr, PortLister lister = {});

    // Fills the list from the ports present; called before each showing.
    void refreshList();
    // Set when the user chose a port in this showing, so it is the one to remember.
    bool choiceChanged() const { return choiceChanged_; }

    QComboBox* DB1 = nullptr;
    QPushButton* Button1 = nullptr;  // "Закрыть"
    QPushButton* Button2 = nullptr;  // "Отмена"
    QLabel* lbPortInfo = nullptr;    // what is known of the highlighted device
    QLabel* lbOpenProblem = nullptr;  // why the port in use could not be opened, and the fix

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void choose(int index);
    void showFacts(int index);
    void showOpenProblem();
    void closeClicked();
    void cancelClicked();

    link::TnrComm& comm_;
    std::function<void()> clearPortLost_;
    PortLister lister_;
    QList<link::PortFacts> facts_;
    bool leaving_ = false;
    bool choiceChanged_ = false;
};

// "COM3", "3" or a device path as typed; nothing for an empty text.
std::optional<link::PortChoice> portChoiceFromText(const QString& text);

}  // namespace velmora::app
