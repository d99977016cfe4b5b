#include "views/gui/TFShowVar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/gui/CaptionWidth.h"

namespace velmora::views {

TFShowVar::TFShowVar(QWidget* parent) : QDialog(parent) {
    setObjectName("TFShowVar");
    setWindowTitle("Режим просмотра переменной");
    auto* v = new QVBoxLayout(this);

    auto* types = new QGroupBox("  Тип переменной   ");
    types->setObjectName("rgTipVar");
    auto* tv = new QVBoxLayout(types);
    rgTipVar_ = new QButtonGroup(this);
    const char* typeItems[] = {"Char (8 бит со знаком)",       "unsigned Char (8 бит без знака)",
                               "Int  (16 бит со знаком)",      "unsigned Int  (16 бит без знака)",
                               "Long (32 бита со знаком)",     "unsigned Long (32 бита без знака)",
                               "Float 32  (32 бита плавающее)"};
    for (int i = 0; i < 7; ++i) {
        auto* b = new QRadioButton(typeItems[i]);
        rgTipVar_->addButton(b, i);
        tv->addWidget(b);
    }
    v->addWidget(types);

    auto* formats = new QGroupBox("Формат отображения");
    formats->setObjectName("rgVidVar");
    auto* fh = new QGridLayout(formats);
    rgVidVar_ = new QButtonGroup(this);
    const char* formatItems[] = {"Hex", "Dec", "Bin", "Simv", "OFF"};
    for (int i = 0; i < 5; ++i) {
        auto* b = new QRadioButton(formatItems[i]);
        rgVidVar_->addButton(b, i);
        fh->addWidget(b, 0, i);
    }
    v->addWidget(formats);

    auto* apply = new QPushButton("Применить");
    apply->setObjectName("btnApply");
    v->addWidget(apply);
    connect(apply, &QPushButton::clicked, this, [this] {
        applied_ = true;
        accept();
    });
    setChoice(VarType::Char, VarFormat::Off);
    gui::fitCaption(this);
}

VarType TFShowVar::type() const {
    return static_cast<VarType>(rgTipVar_->checkedId());
}

VarFormat TFShowVar::format() const {
    return static_cast<VarFormat>(rgVidVar_->checkedId());
}

void TFShowVar::setChoice(VarType type, VarFormat format) {
    rgTipVar_->button(static_cast<int>(type))->setChecked(true);
    rgVidVar_->button(static_cast<int>(format))->setChecked(true);
}

bool TFShowVar::ask() {
    applied_ = false;  // activating the dialog clears the mark
    exec();
    return applied_;
}

}  // namespace velmora::views
