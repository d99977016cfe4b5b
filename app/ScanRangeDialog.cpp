#include "app/ScanRangeDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/HexText.h"
#include "common/gui/CaptionWidth.h"
#include "common/gui/ProgramCaption.h"
#include "views/gui/HexKeyFilter.h"

namespace velmora::app {

namespace {
QLineEdit* nodeBox(const char* name, const char* accessible) {
    auto* box = new QLineEdit;
    box->setObjectName(name);
    box->setAccessibleName(accessible);
    box->setMaxLength(2);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance("WWWW"));
    return box;
}
}  // namespace

ScanRangeDialog::ScanRangeDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("ScanRangeDialog");
    setWindowTitle("Диапазон сканирования");
    first_ = nodeBox("edScanFirst", "Первый адрес узла");
    last_ = nodeBox("edScanLast", "Последний адрес узла");
    new views::HexKeyFilter(first_, [this] { apply(); }, [this] { reject(); });
    new views::HexKeyFilter(last_, [this] { apply(); }, [this] { reject(); });
    auto* form = new QFormLayout;
    form->addRow("Первый адрес узла (hex):", first_);
    form->addRow("Последний адрес узла (hex):", last_);
    auto* note = new QLabel("Сканер опрашивает узлы Modbus от первого адреса до последнего.");
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton("Применить", QDialogButtonBox::AcceptRole);
    buttons->addButton("Отмена", QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ScanRangeDialog::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
    gui::fitCaption(this);
}

void ScanRangeDialog::setRange(system::NodeRange range) {
    chosen_.reset();
    first_->setText(QString::fromStdString(hexNumber(range.first, 2)));
    last_->setText(QString::fromStdString(hexNumber(range.last, 2)));
    // The dialog opens ready for the first address to be typed over: the box already
    // holds its two digits and would take no more, so its text is chosen whole.
    first_->setFocus();
    first_->selectAll();
}

void ScanRangeDialog::apply() {
    const auto range =
        system::nodeRangeOf(first_->text().toStdString(), last_->text().toStdString());
    if (!range) {
        QMessageBox::critical(this, gui::kProgramCaption,
                              "Адреса узлов: от 01 до FF, первый не больше последнего");
        return;
    }
    chosen_ = range;
    accept();
}

}  // namespace velmora::app
