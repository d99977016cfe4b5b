#pragma once
// A one-line label whose text never sizes it: what does not fit ends in "…", and the
// whole text stays readable as the tooltip and the accessible description. Hints and
// messages of any length can then never widen the window that holds the label.

#include <QLabel>

namespace velmora::gui {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The text as it is drawn in the label's present width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // QLabel::setText is not virtual and callers hold a QLabel*, so the tooltip and
    // the description catch up with the text whenever the label is drawn or asked.
    void followText();

    QString followed_;
};

}  // namespace velmora::gui
