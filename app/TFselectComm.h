#pragma once
// "Выбор номера Comm порта": choose the serial port. Left only through its buttons.

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <functional>

#include "link/qt/TnrComm.h"

namespace velmora::app {

class TFselectComm : public QDialog {
    Q_OBJECT
public:
    // `clearPortLost` runs before "Закрыть" opens the port.
    TFselectComm(link::TnrComm& comm, std::function<void()> clearPortLost,
                 QWidget* parent = nullptr);

    // Fills the list from the ports present; called before each showing.
    void refreshList();
    // Set when the user chose a port in this showing, so it is the one to remember.
    bool choiceChanged() const { return choiceChanged_; }

    QComboBox* DB1 = nullptr;
    QPushButton* Button1 = nullptr;  // "Закрыть"
    QPushButton* Button2 = nullptr;  // "Отмена"

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void choose(int index);
    void closeClicked();
    void cancelClicked();

    link::TnrComm& comm_;
    std::function<void()> clearPortLost_;
    QStringList paths_;
    bool leaving_ = false;
    bool choiceChanged_ = false;
};

// "COM3", "3" or a device path as typed; nothing for an empty text.
std::optional<link::PortChoice> portChoiceFromText(const QString& text);

}  // namespace velmora::app
