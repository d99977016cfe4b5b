#pragma once
// "Стирание Flash": the range to erase. The range is kept between showings; the dialog
// closes only with readable fields, and with a confirmed range only when it is allowed.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "firmware/EraseDialogRules.h"

namespace velmora::firmware {

class TFClear_FL : public QDialog {
    Q_OBJECT
public:
    explicit TFClear_FL(QWidget* parent = nullptr);

    // `FlashBottom` at the time of showing.
    void setBottom(uint16_t bottom) { bottom_ = bottom; }
    bool confirmed() const { return confirmed_; }
    const EraseFields& range() const { return fields_; }

    QLineEdit* edStartAdr = nullptr;
    QLineEdit* edFinAdr_FL = nullptr;
    QPushButton* btnCansel = nullptr;
    QPushButton* btnErrase = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void confirm();

    EraseFields fields_;
    uint16_t bottom_ = 0x2000;
    bool confirmed_ = false;
};

}  // namespace velmora::firmware
