#pragma once
// "Диапазон сканирования": the first and the last node address a bus scan asks.

#include <QDialog>
#include <optional>

#include "system/NodeRange.h"

class QLineEdit;

namespace velmora::app {

class ScanRangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ScanRangeDialog(QWidget* parent = nullptr);

    void setRange(system::NodeRange range);
    // The range given, once "Применить" accepted it.
    std::optional<system::NodeRange> chosen() const { return chosen_; }
    QLineEdit* firstBox() const { return first_; }
    QLineEdit* lastBox() const { return last_; }

    // "Применить": a range that is not one says why and keeps the dialog open.
    void apply();

private:
    QLineEdit* first_;
    QLineEdit* last_;
    std::optional<system::NodeRange> chosen_;
};

}  // namespace velmora::app
