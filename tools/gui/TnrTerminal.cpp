#include "tools/gui/TnrTerminal.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include "common/Cp1251.h"
#include "common/gui/Fonts.h"

namespace velmora::tools {

namespace {

// The standard 16-colour palette.
const std::array<QColor, 16> kPalette = {
    QColor(0, 0, 0),     QColor(128, 0, 0),   QColor(0, 128, 0),   QColor(128, 128, 0),
    QColor(0, 0, 128),   QColor(128, 0, 128), QColor(0, 128, 128), QColor(192, 192, 192),
    QColor(128, 128, 128), QColor(255, 0, 0), QColor(0, 255, 0),   QColor(255, 255, 0),
    QColor(0, 0, 255),   QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 255, 255)};

constexpr int kRefreshMs = 16;
constexpr int kBlinkMs = 700;

class TerminalAccessible : public QAccessibleWidget {
public:
    explicit TerminalAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        auto* term = static_cast<TnrTerminal*>(widget());
        if (t == QAccessible::Name) return term->accessibleName();
        if (t == QAccessible::Value || t == QAccessible::Description) return term->screenText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* terminalAccessible(const QString& key, QObject* object) {
    if (key == QLatin1String("velmora::tools::TnrTerminal") && object->isWidgetType())
        return new TerminalAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

TnrTerminal::TnrTerminal(QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(terminalAccessible);
        return true;
    }();
    (void)installed;
    setObjectName("freeTerminal");
    setAccessibleName("Экран терминала");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(gui::namedFont("Terminal", 10, false));
    const QFontMetrics m(font());
    cellWidth_ = std::max(1, m.horizontalAdvance('W'));
    cellHeight_ = std::max(1, m.height());
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const QString s = QString::fromStdString(cp1251ToUtf8(one));
        glyphs_[static_cast<size_t>(b)] = b < 0x20 || s.isEmpty() ? QChar(' ') : s[0];
    }
    repaint_.setSingleShot(true);
    repaint_.setInterval(kRefreshMs);
    connect(&repaint_, &QTimer::timeout, this, &TnrTerminal::flushRepaint);
    blink_.setInterval(kBlinkMs);
    connect(&blink_, &QTimer::timeout, this, &TnrTerminal::toggleBlink);
}

QSize TnrTerminal::sizeHint() const {
    return {cellWidth_ * TerminalScreen::kColumns, cellHeight_ * TerminalScreen::kRows};
}

void TnrTerminal::terminalReceived(const QByteArray& bytes) {
    screen_.feed(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    if (screen_.bells() != bellsHeard_) {
        bellsHeard_ = screen_.bells();
        QApplication::beep();
    }
    if (!repaint_.isActive()) repaint_.start();
}

void TnrTerminal::flushRepaint() {
    const uint32_t rows = screen_.takeDirtyRows();
    for (int r = 0; r < TerminalScreen::kRows; ++r)
        if (rows & (1u << r)) update(0, r * cellHeight_, width(), cellHeight_);
    // The caret's row, wherever the cursor went.
    update(0, screen_.cursorRow() * cellHeight_, width(), cellHeight_);
    if (screen_.anyBlinking() != blink_.isActive()) {
        if (blink_.isActive())
            blink_.stop();
        else
            blink_.start();
    }
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent e(this, screenText());
        QAccessible::updateAccessibility(&e);
    }
}

void TnrTerminal::toggleBlink() {
    blinkOn_ = !blinkOn_;
    update();
}

QString TnrTerminal::screenText() const {
    QString out;
    for (int r = 0; r < TerminalScreen::kRows; ++r) {
        QString row;
        for (int c = 0; c < TerminalScreen::kColumns; ++c) row += glyphs_[screen_.cell(c, r).ch];
        while (row.endsWith(' ')) row.chop(1);
        out += row;
        if (r + 1 < TerminalScreen::kRows) out += '\n';
    }
    return out;
}

void TnrTerminal::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), kPalette[kBlack]);
    const int firstRow = std::max(0, event->rect().top() / cellHeight_);
    const int lastRow = std::min(TerminalScreen::kRows - 1, event->rect().bottom() / cellHeight_);
    const int ascent = QFontMetrics(font()).ascent();
    for (int r = firstRow; r <= lastRow; ++r) {
        for (int c = 0; c < TerminalScreen::kColumns; ++c) {
            const Cell& cell = screen_.cell(c, r);
            const QRect box(c * cellWidth_, r * cellHeight_, cellWidth_, cellHeight_);
            const bool caret = c == screen_.cursorColumn() && r == screen_.cursorRow();
            QColor bg = kPalette[cell.bg], fg = kPalette[cell.fg];
            if (caret) std::swap(bg, fg);  // the square caret
            if (bg != kPalette[kBlack] || caret) p.fillRect(box, bg);
            if (cell.ch == ' ' || (cell.blink && !blinkOn_)) continue;
            p.setPen(fg);
            p.drawText(box.left(), box.top() + ascent, QString(glyphs_[cell.ch]));
        }
    }
}

void TnrTerminal::keyPressEvent(QKeyEvent* event) {
    QByteArray bytes;
    switch (event->key()) {
        case Qt::Key_Up:
            bytes = "\x1b[A";
            break;
        case Qt::Key_Down:
            bytes = "\x1b[B";
            break;
        case Qt::Key_Right:
            bytes = "\x1b[C";
            break;
        case Qt::Key_Left:
            bytes = "\x1b[D";
            break;
        case Qt::Key_Home:
            bytes = "\x1b[H";
            break;
        case Qt::Key_End:
            return;  // swallowed
        case Qt::Key_Backspace:
            bytes = "\x08";
            break;
        default: {
            const QString text = event->text();
            if (text.isEmpty()) {
                QWidget::keyPressEvent(event);
                return;
            }
            bytes = QByteArray::fromStdString(utf8ToCp1251(text.toStdString()));
            break;
        }
    }
    if (send_) send_(bytes);
}

}  // namespace velmora::tools
