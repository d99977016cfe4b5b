#pragma once
// `TFShowVar`, "Режим просмотра переменной": the value inspector's type and format.
// Made once at start and kept, so the choices persist; "Применить" marks the dialog
// applied and closes it, any other way out leaves the mark clear.

#include <QButtonGroup>
#include <QDialog>

#include "views/VarFormat.h"

namespace velmora::views {

class TFShowVar : public QDialog {
    Q_OBJECT
public:
    explicit TFShowVar(QWidget* parent = nullptr);

    VarType type() const;
    VarFormat format() const;
    void setChoice(VarType type, VarFormat format);
    bool applied() const { return applied_; }

    // Shows the dialog modally; true when it was closed with "Применить".
    bool ask();

private:
    QButtonGroup* rgTipVar_;
    QButtonGroup* rgVidVar_;
    bool applied_ = false;
};

}  // namespace velmora::views
