#include "common/gui/StatusPanels.h"

#include <QAccessible>
#include <QPainter>

#include "common/gui/ImageList.h"
#include "common/gui/StatusPanelsAccessible.h"

namespace velmora::gui {

namespace {
constexpr int kAddressPanelWidth = 120;
constexpr int kMarkOffset = 90;
}  // namespace

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent) {
    // Before anything asks for the bar's accessible interface, which is then kept.
    installStatusPanelsAccessibility();
    setObjectName("sb1");
    setAccessibleName("Строка состояния");
    setMinimumHeight(20);
    // Small enough for "Адр Modbus: 00" to end before the mark at 90 px.
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
}

QSize StatusPanels::sizeHint() const {
    return {2 * kAddressPanelWidth + 300, 20};
}

void StatusPanels::setPanelText(int panel, const QString& text) {
    if (panel < 0 || panel >= kPanelCount || texts_[panel] == text) return;
    texts_[panel] = text;
    // The message panel may be narrower than its text; the whole of it is a hover away.
    if (panel == 2) setToolTip(text);
    update();
    // A panel is named by its text, so a new text is a new name to a screen reader.
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    changed.setChild(panel);
    QAccessible::updateAccessibility(&changed);
}

QRect StatusPanels::panelRect(int panel) const {
    if (panel < 2) return {panel * kAddressPanelWidth, 0, kAddressPanelWidth, height()};
    return {2 * kAddressPanelWidth, 0, std::max(0, width() - 2 * kAddressPanelWidth), height()};
}

void StatusPanels::setScanRunning(bool running) {
    scanRunning_ = running;
    update();
}

void StatusPanels::paintEvent(QPaintEvent*) {
    QPainter g(this);
    const QColor bar = palette().color(QPalette::Window);
    g.fillRect(rect(), bar);
    const int h = height();
    const QColor defaultText = palette().color(QPalette::WindowText);
    for (int panel = 0; panel < 2; ++panel) {
        const QRect r = panelRect(panel);
        g.fillRect(r, bar);
        g.setPen(scanRunning_ ? defaultText : (panel == 0 ? QColor(Qt::blue) : QColor(Qt::red)));
        g.drawText(r.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, texts_[panel]);
        if (panel == 0 || !texts_[1].isEmpty())
            g.drawPixmap(r.left() + kMarkOffset, r.top() + (h - 16) / 2,
                         gui::imagePixmap(panel == 0 ? gui::kImgNodeMark : gui::kImgModuleSelected));
        g.setPen(palette().color(QPalette::Mid));
        g.drawLine(r.right(), 1, r.right(), h - 2);
    }
    g.setPen(defaultText);
    g.drawText(panelRect(2).adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, texts_[2]);
}

}  // namespace velmora::gui
