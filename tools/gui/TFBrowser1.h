#pragma once
// "Окно просмотра" of the Tools menu: the watch list of up to 25 short RAM variables,
// watched ("Слежение") or edited ("Редактирование"). The entries belong to the
// program's run and outlive the window, which is made anew for each opening.

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>

#include <functional>

#include "link/TransactionEngine.h"
#include "tools/WatchHistory.h"
#include "tools/WatchList.h"
#include "symbols/gui/ProjectSymbols.h"

namespace velmora::tools {

class WatchChart;

class TFBrowser1 : public QDialog {
    Q_OBJECT
public:
    // `clock` times the passes for the chart and the CSV file.
    TFBrowser1(link::TransactionEngine& engine, link::Clock& clock, WatchList& entries,
               const symbols::gui::ProjectSymbols& symbols, QWidget* parent = nullptr);

    QHeaderView* lbHeader = nullptr;  // lbWath's column titles
    QListWidget* lbWath = nullptr;
    QStatusBar* SB1 = nullptr;
    QGroupBox* rgREG = nullptr;
    QRadioButton* rbWatch = nullptr;
    QRadioButton* rbEdit = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QPushButton* btnClose = nullptr;
    QWidget* pnEdit = nullptr;
    // Each up-down control shows its value in its read-only edit: one field with arrows.
    QLineEdit* edAdr_Modbus = nullptr;
    QSpinBox* UpD_Modbus = nullptr;
    QLineEdit* edAdr_i2c = nullptr;
    QSpinBox* UpD_i2c = nullptr;
    QLineEdit* edCnt_RAM = nullptr;
    QSpinBox* UpD_cntRAM = nullptr;
    QLineEdit* edAdr_RAM = nullptr;
    QLineEdit* edSymbol = nullptr;  // a name from the project's symbol file fills edAdr_RAM
    QPushButton* btnAdd = nullptr;
    QPushButton* btnDelete = nullptr;
    QCheckBox* cbChart = nullptr;  // "График": the chart, hidden until checked
    QPushButton* btnCsv = nullptr;
    WatchChart* chart = nullptr;
    QTimer timUpData;
    // The file "Сохранить в CSV..." writes; empty: not saved. A file dialog unless replaced.
    std::function<QString()> chooseCsvFile;

    bool watching() const { return watching_; }
    void btnAddClick();
    void btnDeleteClick();
    void rgREGClick(bool watch);
    void timUpDataTimer();
    void cbChartClick(bool shown);
    void btnCsvClick();
    // What this opening has read.
    const WatchHistory& history() const { return history_; }

protected:
    void showEvent(QShowEvent* e) override;

public slots:
    // Escape and the window manager end up here too: the one way out stops the timer.
    void reject() override;

private:
    QWidget* buildEditPanel(const symbols::gui::ProjectSymbols& symbols);
    void alignHeader();
    void fillEntryTexts();

    link::TransactionEngine& engine_;
    link::Clock& clock_;
    WatchList& entries_;
    WatchHistory history_;
    bool watching_ = false;
};

}  // namespace velmora::tools
