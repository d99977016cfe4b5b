#include "common/gui/PageParts.h"

#include <QHBoxLayout>
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

QWidget* labelled(const QString& text, QWidget* control) {
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
    return group;
}

}  // namespace velmora::gui
