#include "common/gui/PageParts.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

namespace velmora::gui {

QLabel* caption(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

void notWiredYet(std::initializer_list<QWidget*> controls) {
    for (QWidget* w : controls) w->setEnabled(false);
}

QComboBox* fixedList(const char* name, const QStringList& items) {
    auto* c = named(new QComboBox, name);
    c->addItems(items);
    c->setCurrentIndex(0);
    return c;
}

namespace {
// A short field is at most as wide as its longest text, never as wide as the page; in a
// narrow window it gives way as before.
void keepNaturalWidth(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control); edit && edit->maxLength() < 32767) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        const QFontMetrics metrics = edit->fontMetrics();
        const QMargins margins = edit->textMargins();
        // One character more than it holds: room for the caret and the frame's padding.
        const int text = metrics.horizontalAdvance(QString(edit->maxLength() + 1, QChar('W'))) +
                         margins.left() + margins.right();
        const QSize size = edit->style()->sizeFromContents(
            QStyle::CT_LineEdit, &option, QSize(text, metrics.height()), edit);
        edit->setMaximumWidth(size.width());
    }
    control->setSizePolicy(QSizePolicy::Maximum, control->sizePolicy().verticalPolicy());
}
}  // namespace

QWidget* labelled(const QString& text, QWidget* control) {
    keepNaturalWidth(control);
    auto* box = new QWidget;
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(2, 0, 2, 0);
    v->setSpacing(1);
    v->addWidget(new QLabel(text));
    v->addWidget(control);
    return box;
}

QGroupBox* refreshGroup(QPushButton*& button, const char* buttonName, QCheckBox*& autoBox,
                        const char* autoName, QComboBox*& period, const char* periodName,
                        const QStringList& periods) {
    auto* group = new QGroupBox("Обновить");
    auto* h = new QHBoxLayout(group);
    button = named(new QPushButton("Обновить"), buttonName);
    autoBox = named(new QCheckBox("Авто"), autoName);
    // The automatic refresh belongs to the page's own view; until it is there the box
    // would only lock the pages.
    autoBox->setEnabled(false);
    period = fixedList(periodName, periods);
    notWiredYet({button, period});
    h->addWidget(button);
    h->addWidget(autoBox);
    h->addWidget(period);
    h->addStretch();
    return group;
}

}  // namespace velmora::gui
