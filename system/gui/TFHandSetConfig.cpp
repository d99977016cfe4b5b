#include "system/gui/TFHandSetConfig.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>

#include "system/NodeAddressEntry.h"
#include "common/gui/ProgramCaption.h"
#include "common/gui/CaptionWidth.h"

namespace velmora::system {

TFHandSetConfig::TFHandSetConfig(QWidget* parent) : QDialog(parent) {
    setObjectName("TFHandSetConfig");
    setWindowTitle("  Добавить узел ");
    // No title-bar buttons and a fixed border.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    auto* grid = new QGridLayout(this);
    edAdrModbus = new QLineEdit("02");
    edAdrModbus->setObjectName("edAdrModbus");
    edAdrModbus->setMaxLength(2);
    auto* adrLabel = new QLabel("Адрес Modbus [Hex]");
    adrLabel->setBuddy(edAdrModbus);
    edAdrModbus->setAccessibleName("Адрес Modbus [Hex]");
    cbSpeed = new QComboBox;
    cbSpeed->setObjectName("cbSpeed");
    cbSpeed->addItems({"   9600", " 19200", " 57600", "115200"});
    auto* speedLabel = new QLabel("Скорость бит/сек");
    speedLabel->setBuddy(cbSpeed);
    cbSpeed->setAccessibleName("Скорость бит/сек");
    btnClose = new QPushButton("Добавить");
    btnClose->setObjectName("btnClose");
    btnClose->setDefault(true);
    btnCansel = new QPushButton("Отмена");
    btnCansel->setObjectName("btnCansel");
    grid->addWidget(adrLabel, 0, 0);
    grid->addWidget(edAdrModbus, 0, 1);
    grid->addWidget(speedLabel, 1, 0);
    grid->addWidget(cbSpeed, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClose);
    buttons->addWidget(btnCansel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    edAdrModbus->installEventFilter(this);
    connect(btnClose, &QPushButton::clicked, this, &TFHandSetConfig::btnCloseClick);
    connect(btnCansel, &QPushButton::clicked, this, &TFHandSetConfig::btnCanselClick);
    gui::fitCaption(this);
}

void TFHandSetConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    accepted_ = false;  // Esc closes without either button
    if (portSpeed_) cbSpeed->setCurrentIndex(speedEntryIndex(portSpeed_()));
    edAdrModbus->setFocus();
}

bool TFHandSetConfig::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edAdrModbus || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key == QKeySequence::Copy || key == QKeySequence::Paste || key == QKeySequence::Cut ||
        key->key() == Qt::Key_Backspace)
        return false;
    // Enter and Escape go on to the dialog's buttons.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape)
        return false;
    const QString text = key->text();
    if (text.size() == 1 && text[0].unicode() < 0x80) {
        const size_t length =
            static_cast<size_t>(edAdrModbus->text().size() - edAdrModbus->selectedText().size());
        if (auto c = addressFieldChar(length, static_cast<char>(text[0].unicode())))
            edAdrModbus->insert(QString(QChar(*c)));
    }
    return true;
}

void TFHandSetConfig::btnCloseClick() {
    const auto address = nodeAddressOf(edAdrModbus->text().toStdString());
    if (!address) {
        QMessageBox::critical(this, gui::kProgramCaption, "Ошибка задания адреса Modbus");
        return;
    }
    address_ = *address;
    speed_ = speedOfEntry(cbSpeed->currentText().toStdString()).value_or(115200);
    accepted_ = true;
    accept();
}

void TFHandSetConfig::btnCanselClick() {
    accepted_ = false;
    reject();
}

}  // namespace velmora::system
