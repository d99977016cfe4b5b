#pragma once
// The identifier tab of the Module page. The subsystem that gives the page its behaviour binds to these
// controls; this file only lays them out.

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

namespace velmora::system {

struct IdentTabWidgets {
    QListWidget* lbIdMod = nullptr;
    QPushButton* sbUpDateId = nullptr;
    QCheckBox* cbAutoApDateId = nullptr;
    QComboBox* cbPapId = nullptr;
};

// Builds the page into `p` and returns it.
QWidget* buildIdentTab(IdentTabWidgets& p);

}  // namespace velmora::system
