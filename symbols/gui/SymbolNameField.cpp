#include "symbols/gui/SymbolNameField.h"

#include <QCompleter>

#include "common/HexText.h"
#include "symbols/gui/ProjectSymbols.h"

namespace velmora::symbols::gui {

SymbolNameField::SymbolNameField(const ProjectSymbols& symbols, QLineEdit* addressField,
                                 QWidget* parent)
    : QLineEdit(parent), symbols_(symbols), address_(addressField) {
    setObjectName("edSymbol");
    setAccessibleName("Имя переменной");
    auto* completer = new QCompleter(&names_, this);
    // The assembler tells `count` from `Count`.
    completer->setCaseSensitivity(Qt::CaseSensitive);
    setCompleter(completer);
    offerNames();
    connect(&symbols_, &ProjectSymbols::changed, this, &SymbolNameField::offerNames);
    connect(this, &QLineEdit::textChanged, this, &SymbolNameField::nameTyped);
}

void SymbolNameField::offerNames() {
    QStringList names;
    for (const Symbol& s : symbols_.table().symbols())
        names << QString::fromStdString(s.name);
    names.sort();
    names_.setStringList(names);
    setEnabled(!names.isEmpty());
    setToolTip(names.isEmpty() ? "Файл символов не выбран (Настройки, «Файл символов...»)" : QString());
}

void SymbolNameField::nameTyped(const QString& text) {
    if (auto address = symbols_.table().addressOf(text.toStdString()))
        address_->setText(QString::fromStdString(hexNumber(*address, 3)));
}

}  // namespace velmora::symbols::gui
