#pragma once
// The 17 x 17 memory grid: corner cell "Адрес", header row "00".."0F", a header column
// of row addresses, and 16 x 16 data cells. Its cells keep their natural size (64 x 18
// for the address column, 24 x 18 for the others) and the grid scrolls when it has less
// room than that; given more, the cells grow to fill it.

#include <QTableWidget>

namespace velmora::views {

class MemoryGrid : public QTableWidget {
    Q_OBJECT
public:
    // `addressDigits`: 4 for Flash, 3 for RAM and EEPROM.
    MemoryGrid(const QString& name, int addressDigits, QWidget* parent = nullptr);

    // Row r (1..16) gets base + 16 x (r - 1); the grid keeps `base` as the page it shows.
    void setRowAddresses(uint32_t base);
    uint32_t rowBase() const { return rowBase_; }
    // The header row and column written again from the page the grid shows, never from
    // a cursor that may have moved since the data came.
    void relabel();
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString& text);

    // The whole page at the cells' natural size, frame included.
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitCells();
    void writeColumnHeaders();

    int addressDigits_;
    uint32_t rowBase_ = 0;
};

}  // namespace velmora::views
