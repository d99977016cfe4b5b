#pragma once
// "Смещение Flash": the offset added to every Flash address of the next HEX file read.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace velmora::firmware {

class TFshiftFlash : public QDialog {
    Q_OBJECT
public:
    explicit TFshiftFlash(QWidget* parent = nullptr);

    // `FlashShift`: shown when the dialog opens, set by OK, 0 after Cancel.
    uint16_t FlashShift = 0;
    QLineEdit* edShiftFlash = nullptr;
    QPushButton* BitBtn1 = nullptr;  // Cancel
    QPushButton* BitBtn2 = nullptr;  // OK

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BitBtn2Click();
};

}  // namespace velmora::firmware
