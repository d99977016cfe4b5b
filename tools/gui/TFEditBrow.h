#pragma once
// "Редактор команды": composes one variable browser entry from its four fields. Made
// once with the browser and reused for every add and change.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "symbols/gui/ProjectSymbols.h"
#include "tools/BrowserEntry.h"

namespace velmora::tools {

class TFEditBrow : public QDialog {
    Q_OBJECT
public:
    // `symbols`: the names the name field offers.
    explicit TFEditBrow(const symbols::gui::ProjectSymbols& symbols, QWidget* parent = nullptr);

    // Change mode fills the fields from `entry`; add mode empties them.
    void prepare(bool changeMode, const QString& entry);
    // The composed entry once the dialog was accepted.
    QString entry() const { return edKom->text(); }
    EntryFields fields() const;

    QLineEdit* edCID = nullptr;
    QLineEdit* edSlave = nullptr;
    QLineEdit* edKol = nullptr;
    QLineEdit* edAdr = nullptr;
    QLineEdit* edSymbol = nullptr;  // a name from the project's symbol file fills edAdr
    QLineEdit* edKom = nullptr;
    QPushButton* btnRec = nullptr;
    QPushButton* Button2 = nullptr;
    QTimer Timer1;

private:
    void Timer1Timer();
    void btnRecClick();
    QLineEdit* fieldAt(int focus) const;
};

}  // namespace velmora::tools
