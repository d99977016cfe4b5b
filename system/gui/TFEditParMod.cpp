#include "system/gui/TFEditParMod.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "common/gui/PageParts.h"
#include "system/LinkParams.h"
#include "common/gui/CaptionWidth.h"

namespace velmora::system {

TFEditParMod::TFEditParMod(QWidget* parent) : QDialog(parent) {
    setObjectName("TFEditParMod");
    setWindowTitle("Изменение параметра модуля");
    setModal(true);
    auto* v = new QVBoxLayout(this);
    lbName = gui::named(new QLabel, "lbName");
    cbSpeed = gui::named(new QComboBox, "cbSpeed");
    for (const SpeedCode& s : kSpeedCodes) cbSpeed->addItem(s.entry);
    cbSpeed->setAccessibleName("Скорость");
    edPar = gui::named(new QLineEdit, "edPar");
    edPar->setAccessibleName("Значение параметра (hex)");
    edPar->setMaxLength(2);
    // Pasted text bypasses the key filter; the validator keeps it to hex digits too.
    edPar->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,2}"), edPar));
    edPar->installEventFilter(this);
    // The list and the field share one place; only one of them shows at a time.
    auto* value = new QHBoxLayout;
    value->addWidget(cbSpeed);
    value->addWidget(edPar);
    v->addWidget(lbName);
    v->addLayout(value);
    auto* buttons = new QHBoxLayout;
    btnWrite = gui::named(new QPushButton("Запись"), "btnWrite");
    btnCancel = gui::named(new QPushButton("Отмена"), "btnCancel");
    buttons->addWidget(btnWrite);
    buttons->addWidget(btnCancel);
    v->addLayout(buttons);
    btnWrite->setDefault(true);
    connect(btnWrite, &QPushButton::clicked, this, [this] {
        accepted_ = true;
        edPar->setText(edPar->text().trimmed());
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    gui::fitCaption(this);
}

void TFEditParMod::prepareSpeed(const QString& label, int entry) {
    lbName->setText(label);
    cbSpeed->setCurrentIndex(entry);
    cbSpeed->show();
    edPar->hide();
}

void TFEditParMod::prepareValue(const QString& label, const QString& text) {
    lbName->setText(label);
    edPar->setText(text);
    edPar->show();
    cbSpeed->hide();
}

bool TFEditParMod::run() {
    accepted_ = false;
    (edPar->isVisible() ? static_cast<QWidget*>(edPar) : cbSpeed)->setFocus();
    exec();
    return accepted_;
}

bool TFEditParMod::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edPar || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Keys without a character (arrows, Delete) edit as usual; Enter, Escape and Tab
    // belong to the dialog, not to the value.
    const QString text = key->text();
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;
        default:
            break;
    }
    if (text.size() != 1) return false;
    const QChar typed = text.at(0);
    const char passed = typed.unicode() < 0x80 ? paramKey(static_cast<char>(typed.unicode())) : 0;
    if (passed == 0) return true;
    if (passed >= '0' && passed <= 'F' && passed != typed) {
        edPar->insert(QString(QChar(passed)));  // upper-cased letter
        return true;
    }
    return false;
}

}  // namespace velmora::system
