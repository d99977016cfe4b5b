#pragma once
// The status bar `sb1`: panel 0 (the Modbus address, blue, with the node mark), panel 1
// (the i2c address, red, with the module mark when there is one) and panel 2 (the last
// message, plain text).

#include <QString>
#include <QWidget>

namespace velmora::gui {

class StatusPanels : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 3;

    explicit StatusPanels(QWidget* parent = nullptr);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const { return texts_[panel]; }
    // Where the panel lies in the bar.
    QRect panelRect(int panel) const;
    // While a scan runs, both address texts use the default colour.
    void setScanRunning(bool running);
    // Paints at once, for messages that must show while a handler still runs.
    void repaintNow() { repaint(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString texts_[kPanelCount];
    bool scanRunning_ = false;
};

}  // namespace velmora::gui
