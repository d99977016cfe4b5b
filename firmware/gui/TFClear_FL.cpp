#include "firmware/gui/TFClear_FL.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "common/HexText.h"
#include "common/gui/ProgramCaption.h"
#include "common/gui/CaptionWidth.h"

namespace velmora::firmware {

namespace {

QLineEdit* field(const char* name, const QString& spoken) {
    auto* e = new QLineEdit("2000");
    e->setObjectName(name);
    e->setAccessibleName(spoken);
    e->setMaxLength(4);
    return e;
}

}  // namespace

TFClear_FL::TFClear_FL(QWidget* parent) : QDialog(parent) {
    setObjectName("TFClear_FL");
    setWindowTitle("Стирание Flash");
    auto* v = new QVBoxLayout(this);
    auto* group = new QGroupBox("   Параметры стирания    ");
    auto* g = new QGridLayout(group);
    const QString from = "Начиная с адреса (hex)", to = "По адрес (hex)";
    g->addWidget(new QLabel(from), 0, 0);
    g->addWidget(new QLabel(to), 0, 1);
    edStartAdr = field("edStartAdr", from);
    edFinAdr_FL = field("edFinAdr_FL", to);
    g->addWidget(edStartAdr, 1, 0);
    g->addWidget(edFinAdr_FL, 1, 1);
    v->addWidget(group);
    auto* buttons = new QHBoxLayout;
    btnCansel = new QPushButton("Отмена");
    btnCansel->setObjectName("btnCansel");
    btnErrase = new QPushButton("OK");
    btnErrase->setObjectName("btnErrase");
    btnCansel->setAutoDefault(false);
    btnErrase->setAutoDefault(false);
    buttons->addWidget(btnCansel);
    buttons->addWidget(btnErrase);
    v->addLayout(buttons);
    connect(btnCansel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnErrase, &QPushButton::clicked, this, &TFClear_FL::confirm);
    edStartAdr->installEventFilter(this);
    edFinAdr_FL->installEventFilter(this);
    gui::fitCaption(this);
}

void TFClear_FL::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    confirmed_ = false;
    fields_ = clampForShowing(fields_, bottom_);
    edStartAdr->setText(QString::fromStdString(hexNumber(fields_.start, 4)));
    edFinAdr_FL->setText(QString::fromStdString(hexNumber(fields_.end, 4)));
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    edStartAdr->setFocus();
}

bool TFClear_FL::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    // The form sees the keys first: Ctrl+Enter confirms, Esc cancels.
    if (enter && key->modifiers() == Qt::ControlModifier) {
        confirm();
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    if (enter) {
        (watched == edStartAdr ? edFinAdr_FL : edStartAdr)->setFocus();
        return true;
    }
    const QString text = key->text().toUpper();
    if (text.isEmpty()) return false;  // cursor keys, Delete and the like
    if (text.size() != 1 || !eraseFieldAccepts(text[0].unicode())) return true;
    if (text != key->text()) {
        // Typed in lower case: put the upper-case letter in instead.
        static_cast<QLineEdit*>(watched)->insert(text);
        return true;
    }
    return false;
}

void TFClear_FL::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFClear_FL::confirm() {
    confirmed_ = true;
    accept();
}

void TFClear_FL::done(int result) {
    if (eraseDialogCloses(edStartAdr->text().toStdString(), edFinAdr_FL->text().toStdString(),
                          bottom_, confirmed_, fields_) == CloseVerdict::StayOpen) {
        QMessageBox::critical(this, gui::kProgramCaption, "Ошбка диапазона стирания");
        return;
    }
    QDialog::done(result);
}

}  // namespace velmora::firmware
