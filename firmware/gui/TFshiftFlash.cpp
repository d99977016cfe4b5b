#include "firmware/gui/TFshiftFlash.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "common/HexText.h"
#include "common/gui/ProgramCaption.h"
#include "common/gui/CaptionWidth.h"

namespace velmora::firmware {

TFshiftFlash::TFshiftFlash(QWidget* parent) : QDialog(parent) {
    setObjectName("TFshiftFlash");
    setWindowTitle("Смещение Flash");
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel("Смещение адреса FLASH"));
    v->addWidget(new QLabel("при записи Hex файла"));
    edShiftFlash = new QLineEdit("0");
    edShiftFlash->setObjectName("edShiftFlash");
    edShiftFlash->setAccessibleName("Смещение адреса Flash (hex)");
    edShiftFlash->setMaxLength(4);
    // Typed and pasted text alike: hexadecimal digits only.
    edShiftFlash->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,4}"), edShiftFlash));
    v->addWidget(edShiftFlash);
    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton("Отмена");
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2 = new QPushButton("OK");
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setDefault(true);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    v->addLayout(buttons);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        FlashShift = 0;
        reject();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &TFshiftFlash::BitBtn2Click);
    gui::fitCaption(this);
}

void TFshiftFlash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    edShiftFlash->setText(QString::fromStdString(hexNumber(FlashShift, 1)));
    edShiftFlash->setFocus();
}

void TFshiftFlash::BitBtn2Click() {
    const QString text = edShiftFlash->text();
    auto value = parseHex(text.toStdString(), 0xFFFF);
    if (!value) {
        QMessageBox::critical(this, gui::kProgramCaption, "'" + text + "' is not a valid integer value");
        return;  // the dialog stays open
    }
    FlashShift = static_cast<uint16_t>(*value);
    accept();
}

}  // namespace velmora::firmware
