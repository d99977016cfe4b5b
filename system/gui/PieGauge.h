#pragma once
// A pie gauge: the share of the range already covered, drawn as a filled sector from
// twelve o'clock clockwise, with the value written in the middle. To assistive
// technology it is a progress bar with a value.

#include <QWidget>

namespace velmora::system {

class PieGauge : public QWidget {
    Q_OBJECT
public:
    explicit PieGauge(const char* name, QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    void setValue(int value);  // clamped to the range
    int value() const { return value_; }
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    // The covered share in sixteenths of a degree, as QPainter::drawPie takes it.
    int spanAngle() const;
    // What is written in the middle and read out: the value in two hex digits.
    QString valueText() const;

    QSize sizeHint() const override { return {72, 72}; }
    QSize minimumSizeHint() const override { return {40, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
};

}  // namespace velmora::system
