#pragma once
// The watch list's chart: a line over time for each watched variable, in a colour that
// belongs to the entry, with a legend of the current values, a pause, and the time axis
// zoomed by the wheel or the span box. What the legend paints is also the chart's
// accessible description, so a screen reader hears the values too.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <functional>
#include <map>
#include <vector>

#include "tools/WatchHistory.h"
#include "tools/WatchList.h"

namespace velmora::tools {

// The colour of chart colour slot `slot` (WatchList::colourOf).
QColor watchColour(size_t slot);

// A chart view that turns the wheel into zoom steps about the pointer.
class WatchChartView : public QChartView {
public:
    using QChartView::QChartView;
    // Steps (positive: less time shown) and where the pointer is across the plot, 0..1.
    std::function<void(int, double)> onWheel;

protected:
    void wheelEvent(QWheelEvent* e) override;
};

class WatchChart : public QWidget {
public:
    WatchChart(const WatchList& entries, const WatchHistory& history, QWidget* parent = nullptr);

    QCheckBox* cbPause = nullptr;
    QComboBox* cbSpan = nullptr;
    QPushButton* btnNewest = nullptr;
    WatchChartView* chartView = nullptr;

    // Draws the entries' samples as they stand.
    void redraw();
    // One legend line an entry, in list order: "02 1A3 2 = 92".
    QStringList legendTexts() const;
    const ChartSpan& span() const { return span_; }

private:
    void setPaused(bool paused);
    void zoom(int steps, double anchor);
    // The lines of the entry `id`: one piece for each run of reads between failures.
    std::vector<QLineSeries*>& piecesOf(uint32_t id, size_t count);

    const WatchList& entries_;
    const WatchHistory& history_;
    ChartSpan span_;
    QChart* chart_ = nullptr;
    QValueAxis* time_ = nullptr;
    QValueAxis* values_ = nullptr;
    std::map<uint32_t, std::vector<QLineSeries*>> pieces_;
};

}  // namespace velmora::tools
