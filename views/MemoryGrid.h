#pragma once
// The 17 x 17 memory grid: corner cell "Адрес", header row "00".."0F", a header column
// of row addresses, and 16 x 16 data cells.

#include <QTableWidget>

namespace velmora::views {

class MemoryGrid : public QTableWidget {
    Q_OBJECT
public:
    // `addressDigits`: 4 for Flash, 3 for RAM and EEPROM.
    MemoryGrid(const QString& name, int addressDigits, QWidget* parent = nullptr);

    // Row r (1..16) gets base + 16 x (r - 1).
    void setRowAddresses(uint32_t base);
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString& text);

private:
    int addressDigits_;
};

}  // namespace velmora::views
