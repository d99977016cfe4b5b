#include "tools/gui/TFEditBrow.h"
#include "common/gui/ProgramCaption.h"
#include "common/gui/CaptionWidth.h"
#include "symbols/gui/SymbolNameField.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QVBoxLayout>

namespace velmora::tools {

namespace {

QLineEdit* field(QFormLayout* form, const char* name, const QString& label, int width) {
    auto* e = new QLineEdit;
    e->setObjectName(name);
    e->setAccessibleName(label.trimmed());
    e->setMaxLength(width);
    form->addRow(label, e);
    return e;
}

}  // namespace

TFEditBrow::TFEditBrow(const symbols::gui::ProjectSymbols& symbols, QWidget* parent)
    : QDialog(parent) {
    setObjectName("TFEditBrow");
    setWindowTitle("Редактор команды");
    auto* form = new QFormLayout;
    edCID = field(form, "edCID", "Адрес на Modbus", 2);
    edSlave = field(form, "edSlave", "Адрес на i2c", 2);
    edKol = field(form, "edKol", "Количество ", 2);
    edAdr = field(form, "edAdr", "Адрес RAM", 3);
    edSymbol = new symbols::gui::SymbolNameField(symbols, edAdr);
    form->addRow("Имя переменной", edSymbol);
    edKom = field(form, "edKom", "Команда", 32);
    edKom->setReadOnly(true);
    btnRec = new QPushButton("Добавить");
    btnRec->setObjectName("btnRec");
    btnRec->setDefault(true);
    Button2 = new QPushButton("Отмена");
    Button2->setObjectName("Button2");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnRec);
    buttons->addWidget(Button2);
    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addLayout(buttons);

    Timer1.setInterval(200);
    connect(&Timer1, &QTimer::timeout, this, &TFEditBrow::Timer1Timer);
    connect(btnRec, &QPushButton::clicked, this, &TFEditBrow::btnRecClick);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, &Timer1, &QTimer::stop);
    gui::fitCaption(this);
}

EntryFields TFEditBrow::fields() const {
    return {edCID->text().toStdString(), edSlave->text().toStdString(),
            edKol->text().toStdString(), edAdr->text().toStdString()};
}

void TFEditBrow::prepare(bool changeMode, const QString& entry) {
    EntryFields f;
    if (changeMode) {
        if (auto parsed = fieldsOfEntry(entry.toStdString())) f = *parsed;
    }
    edCID->setText(QString::fromStdString(f.cid));
    edSlave->setText(QString::fromStdString(f.slave));
    edKol->setText(QString::fromStdString(f.count));
    edAdr->setText(QString::fromStdString(f.address));
    edSymbol->clear();
    Timer1Timer();
    Timer1.start();
    edCID->setFocus();
}

void TFEditBrow::Timer1Timer() { edKom->setText(QString::fromStdString(composeEntry(fields()))); }

QLineEdit* TFEditBrow::fieldAt(int focus) const {
    QLineEdit* order[] = {edCID, edSlave, edKol, edAdr};
    return order[focus >= 0 && focus < 4 ? focus : 0];
}

void TFEditBrow::btnRecClick() {
    if (auto refusal = refuseEntry(fields())) {
        QMessageBox::warning(this, gui::kProgramCaption, QString::fromStdString(refusal->message));
        fieldAt(refusal->focus)->setFocus();
        return;
    }
    Timer1Timer();
    accept();
}

}  // namespace velmora::tools
