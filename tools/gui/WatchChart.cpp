#include "tools/gui/WatchChart.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <algorithm>
#include <cmath>

namespace velmora::tools {

QColor watchColour(size_t slot) {
    // Ten colours that stay apart on white; past them, hues spread by the golden angle.
    static const QRgb first[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd,
                                 0x8c564b, 0xe377c2, 0x17becf, 0x7f7f7f, 0xbcbd22};
    if (slot < std::size(first)) return QColor(first[slot]);
    return QColor::fromHsv(static_cast<int>((slot * 137) % 360), 200, 190);
}

void WatchChartView::wheelEvent(QWheelEvent* e) {
    const QRectF plot = chart() ? chart()->plotArea() : QRectF();
    const int steps = e->angleDelta().y() / 120;
    if (!onWheel || steps == 0 || plot.width() <= 0) return QChartView::wheelEvent(e);
    const double across = (e->position().x() - plot.left()) / plot.width();
    onWheel(steps, std::clamp(across, 0.0, 1.0));
    e->accept();
}

namespace {

const char* const kSpanTexts[] = {"10 с", "30 с", "1 мин", "2 мин", "5 мин", "10 мин", "30 мин", "1 ч"};

}  // namespace

WatchChart::WatchChart(const WatchList& entries, const WatchHistory& history, QWidget* parent)
    : QWidget(parent), entries_(entries), history_(history) {
    setObjectName("pnChart");
    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignRight);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    time_ = new QValueAxis;
    time_->setTitleText("Время, с");
    time_->setLabelFormat("%.0f");
    values_ = new QValueAxis;
    values_->setTitleText("Значение");
    values_->setLabelFormat("%.0f");
    chart_->addAxis(time_, Qt::AlignBottom);
    chart_->addAxis(values_, Qt::AlignLeft);
    chartView = new WatchChartView(chart_);
    chartView->setObjectName("chartView");
    chartView->setAccessibleName("График переменных");
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumHeight(160);
    chartView->onWheel = [this](int steps, double anchor) { zoom(steps, anchor); };

    cbPause = new QCheckBox("Пауза");
    cbPause->setObjectName("cbPause");
    cbPause->setAccessibleName("Пауза графика");
    cbSpan = new QComboBox;
    cbSpan->setObjectName("cbSpan");
    for (const char* t : kSpanTexts) cbSpan->addItem(t);
    cbSpan->setCurrentIndex(static_cast<int>(span_.step()));
    auto* spanLabel = new QLabel("Масштаб времени");
    spanLabel->setBuddy(cbSpan);
    cbSpan->setAccessibleName(spanLabel->text());
    btnNewest = new QPushButton("К последним");
    btnNewest->setObjectName("btnNewest");
    btnNewest->setAccessibleName("К последним значениям");
    btnNewest->setAutoDefault(false);

    auto* controls = new QHBoxLayout;
    controls->addWidget(cbPause);
    controls->addSpacing(12);
    controls->addWidget(spanLabel);
    controls->addWidget(cbSpan);
    controls->addWidget(btnNewest);
    controls->addStretch();
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(chartView, 1);
    box->addLayout(controls);

    connect(cbPause, &QCheckBox::toggled, this, &WatchChart::setPaused);
    connect(cbSpan, &QComboBox::activated, this, [this](int step) {
        span_.setStep(static_cast<size_t>(step));
        redraw();
    });
    connect(btnNewest, &QPushButton::clicked, this, [this] {
        cbPause->setChecked(false);
        span_.follow();
        redraw();
    });
}

void WatchChart::setPaused(bool paused) {
    if (paused) span_.freeze(history_.newestMs().value_or(0));
    else span_.follow();
    redraw();
}

void WatchChart::zoom(int steps, double anchor) {
    span_.zoom(steps, anchor, history_.newestMs().value_or(0));
    cbSpan->setCurrentIndex(static_cast<int>(span_.step()));
    redraw();
}

std::vector<QLineSeries*>& WatchChart::piecesOf(uint32_t id, size_t count) {
    std::vector<QLineSeries*>& pieces = pieces_[id];
    while (pieces.size() < std::max<size_t>(count, 1)) {
        auto* s = new QLineSeries;
        chart_->addSeries(s);
        s->attachAxis(time_);
        s->attachAxis(values_);
        pieces.push_back(s);
    }
    return pieces;
}

QStringList WatchChart::legendTexts() const {
    QStringList texts;
    for (size_t i = 0; i < entries_.size(); ++i) {
        QString text = QString::fromStdString(watchEntryName(entries_.entries()[i]));
        const SampleRing* s = history_.samples(entries_.idOf(i));
        if (s && s->size()) {
            const auto& value = (*s)[s->size() - 1].value;
            text += " = " + (value ? QString::number(*value) : QString("нет ответа"));
        }
        texts << text;
    }
    return texts;
}

void WatchChart::redraw() {
    // Lines of entries that are gone go with them.
    for (auto it = pieces_.begin(); it != pieces_.end();) {
        bool kept = false;
        for (size_t i = 0; i < entries_.size() && !kept; ++i) kept = entries_.idOf(i) == it->first;
        if (kept) {
            ++it;
            continue;
        }
        for (QLineSeries* s : it->second) {
            chart_->removeSeries(s);
            delete s;
        }
        it = pieces_.erase(it);
    }

    const uint64_t newest = history_.newestMs().value_or(0);
    const uint64_t first = history_.firstMs().value_or(newest);
    const auto [from, to] = span_.range(newest);
    auto seconds = [first](uint64_t ms) { return (static_cast<double>(ms) - static_cast<double>(first)) / 1000.0; };
    double low = INFINITY, high = -INFINITY;
    const QStringList legend = legendTexts();
    for (size_t i = 0; i < entries_.size(); ++i) {
        // Runs of good reads within the span, with the reads just outside it so that a
        // line reaches the edges.
        std::vector<QList<QPointF>> runs(1);
        if (const SampleRing* s = history_.samples(entries_.idOf(i))) {
            for (size_t n = 0; n < s->size(); ++n) {
                const WatchSample& p = (*s)[n];
                const bool before = n + 1 < s->size() && (*s)[n + 1].atMs < from;
                const bool after = n > 0 && (*s)[n - 1].atMs > to;
                if (before || after) continue;
                if (!p.value) {
                    if (!runs.back().isEmpty()) runs.emplace_back();
                    continue;
                }
                const double v = static_cast<double>(*p.value);
                runs.back().append({seconds(p.atMs), v});
                if (p.atMs >= from && p.atMs <= to) low = std::min(low, v), high = std::max(high, v);
            }
        }
        if (runs.size() > 1 && runs.back().isEmpty()) runs.pop_back();
        std::vector<QLineSeries*>& pieces = piecesOf(entries_.idOf(i), runs.size());
        const QColor colour = watchColour(entries_.colourOf(i));
        for (size_t k = 0; k < pieces.size(); ++k) {
            QLineSeries* s = pieces[k];
            s->replace(k < runs.size() ? runs[k] : QList<QPointF>());
            s->setColor(colour);
            s->setPointsVisible(k < runs.size() && runs[k].size() == 1);  // a lone read between gaps
            s->setName(legend[static_cast<int>(i)]);
            // One legend line an entry, however many pieces its line is in.
            for (QLegendMarker* m : chart_->legend()->markers(s)) m->setVisible(k == 0);
        }
    }
    time_->setRange(seconds(from), seconds(to));
    if (!(low <= high)) low = 0, high = 1;
    const double margin = high > low ? (high - low) * 0.05 : 1;
    // The values are unsigned: the margin never takes the axis below zero.
    values_->setRange(std::max(0.0, low - margin), high + margin);
    values_->applyNiceNumbers();
    chartView->setAccessibleDescription(legend.join("; "));
}

}  // namespace velmora::tools
