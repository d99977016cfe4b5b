#pragma once
// "Имя переменной": a RAM variable picked by its name from the project's symbol file.
// Typing a name, or choosing it from the list that drops down as it is typed, puts its
// address into the address field beside it, which keeps its own rules.

#include <QLineEdit>
#include <QStringListModel>

namespace velmora::symbols::gui {

class ProjectSymbols;

class SymbolNameField : public QLineEdit {
    Q_OBJECT
public:
    SymbolNameField(const ProjectSymbols& symbols, QLineEdit* addressField, QWidget* parent = nullptr);

private:
    void offerNames();
    void nameTyped(const QString& text);

    const ProjectSymbols& symbols_;
    QLineEdit* address_;
    QStringListModel names_;
};

}  // namespace velmora::symbols::gui
