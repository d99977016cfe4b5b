#pragma once
// `TActvePanel`: the range button of the RAM and EEPROM tabs. A panel with a caption;
// `Active` marks the range shown (blue caption), the caption turns white while the mouse
// is over it. Clicks, and Space or Enter while it has the focus, emit clicked().

#include <QLabel>

namespace velmora::views {

class TActvePanel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool Active READ getActive WRITE setActive)
public:
    TActvePanel(const QString& caption, int tag, QWidget* parent = nullptr);

    bool getActive() const { return active_; }
    void setActive(bool active);
    int Tag() const { return tag_; }

signals:
    void clicked(int tag);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setCaptionColour(const QColor& colour);
    bool active_ = false;
    QColor defaultColour_;
    int tag_;
};

}  // namespace velmora::views
