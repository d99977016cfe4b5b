#include "system/gui/PieGauge.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPainter>
#include <algorithm>

namespace velmora::system {

namespace {

class PieGaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit PieGaugeAccessible(PieGauge* g) : QAccessibleWidget(g, QAccessible::ProgressBar) {}
    PieGauge* gauge() const { return static_cast<PieGauge*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return gauge()->valueText();
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return gauge()->value(); }
    void setCurrentValue(const QVariant&) override {}  // shows progress; not an input
    QVariant maximumValue() const override { return gauge()->maximum(); }
    QVariant minimumValue() const override { return gauge()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* gaugeFactory(const QString& key, QObject* object) {
    if (key == QLatin1String("velmora::system::PieGauge") && object && object->isWidgetType())
        return new PieGaugeAccessible(static_cast<PieGauge*>(object));
    return nullptr;
}

}  // namespace

PieGauge::PieGauge(const char* name, QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(gaugeFactory);
        return true;
    }();
    (void)installed;
    setObjectName(name);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void PieGauge::setRange(int minimum, int maximum) {
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    setValue(value_);
}

void PieGauge::setValue(int value) {
    const int v = std::clamp(value, min_, max_);
    if (v == value_) return;
    value_ = v;
    update();
    QAccessibleValueChangeEvent changed(this, value_);
    QAccessible::updateAccessibility(&changed);
}

int PieGauge::spanAngle() const {
    if (max_ == min_) return 0;
    return static_cast<int>(-360LL * 16 * (value_ - min_) / (max_ - min_));
}

QString PieGauge::valueText() const {
    return QString::number(value_, 16).toUpper().rightJustified(2, QChar('0'));
}

void PieGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 4;
    const QRect circle((width() - side) / 2, (height() - side) / 2, side, side);
    p.setPen(palette().color(QPalette::WindowText));
    p.setBrush(palette().color(QPalette::Base));
    p.drawEllipse(circle);
    p.setBrush(palette().color(QPalette::Highlight));
    if (value_ >= max_ && max_ > min_)
        p.drawEllipse(circle);
    else if (value_ > min_)
        p.drawPie(circle, 90 * 16, spanAngle());
    p.setPen(palette().color(QPalette::Text));
    p.drawText(circle, Qt::AlignCenter, valueText());
}

}  // namespace velmora::system
