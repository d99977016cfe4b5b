#pragma once
// Small pieces the pages of the main window are laid out with, so every page looks the
// same wherever its subsystem builds it.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <initializer_list>

namespace velmora::gui {

inline constexpr const char* kPageFooter = "Режим работы / канал связи";
inline constexpr const char* kMonitorTitle = "******* Управление мониторингом *******";

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QLabel* caption(const QString& text, QWidget* parent = nullptr);

// Controls whose behaviour belongs to a view that is not in the program yet stay
// visible but disabled, so nothing looks as if it worked when it does not.
void notWiredYet(std::initializer_list<QWidget*> controls);

// A drop-down list of fixed choices, the first one chosen.
QComboBox* fixedList(const char* name, const QStringList& items);

// A control with its label above it, at its natural width (a line edit as wide as the
// text it holds): the spare room of a wide window goes to the page's grid or list.
QWidget* labelled(const QString& text, QWidget* control);

// The "Обновить" group of the identifier and RAM tabs: button, "Авто", period list,
// each at its natural width.
QGroupBox* refreshGroup(QPushButton*& button, const char* buttonName, QCheckBox*& autoBox,
                        const char* autoName, QComboBox*& period, const char* periodName,
                        const QStringList& periods);

}  // namespace velmora::gui
