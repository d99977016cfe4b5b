#include "console/gui/ProtocolLogPane.h"

#include <algorithm>

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "common/gui/Fonts.h"

namespace velmora::console {

ProtocolLogPane::ProtocolLogPane(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("reProt");
    setReadOnly(true);
    setFocusPolicy(Qt::ClickFocus);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);  // an undo stack would keep every line twice
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    setPalette(p);
    flushTimer_.setSingleShot(true);
    // Lines put in at most every 25 ms: a burst costs one layout and one repaint a frame,
    // however many lines it brings, and a line still shows at once to the eye.
    flushTimer_.setInterval(25);
    connect(&flushTimer_, &QTimer::timeout, this, &ProtocolLogPane::flushNow);
    model_->setView(this);
}

void ProtocolLogPane::showEvent(QShowEvent* event) {
    // The log's own font is taken when the log is first seen, before it is first drawn.
    // The page that holds it opens hidden, and matching a font the window shows nowhere
    // else means a search of every installed font: on a desktop with many, the largest
    // single cost of building that page at start.
    if (fontTaken_) {
        QPlainTextEdit::showEvent(event);
        return;
    }
    fontTaken_ = true;
    // Lines that came before were kept in view at the end in the font the log had until
    // now. The scroll range counts lines, and how many fit is measured again only as the
    // base class shows the log: with a taller line than before, the view would open short
    // of the end and the newest lines out of sight.
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QFont font = gui::namedFont("Courier New", 8, true);
    font.setPixelSize(11);
    setFont(font);
    QPlainTextEdit::showEvent(event);
    if (atEnd) bar->setValue(bar->maximum());
}

ProtocolLogPane::~ProtocolLogPane() {
    model_->setView(nullptr);
}

void ProtocolLogPane::attach(ProtocolLogModel& model) {
    model_->setView(nullptr);
    model_ = &model;
    model_->setView(this);
    clear();
    shown_ = 0;
    linesAppended();
}

void ProtocolLogPane::linesAppended() {
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void ProtocolLogPane::flush() const {
    // Reading the log is no change to it, whether or not the lines are in yet.
    const_cast<ProtocolLogPane*>(this)->flushNow();
}

void ProtocolLogPane::flushNow() {
    flushTimer_.stop();
    if (shown_ >= model_->size()) return;
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    for (; shown_ < model_->size(); ++shown_) {
        const LogLine& line = model_->line(shown_);
        if (shown_ > 0) cursor.insertBlock();
        format.setForeground(QColor(line.colour.r, line.colour.g, line.colour.b));
        cursor.insertText(QString::fromStdString(line.text), format);
    }
    cursor.endEditBlock();
    // Someone reading back in the log keeps the place read.
    if (atEnd) bar->setValue(bar->maximum());
}

void ProtocolLogPane::linesDropped(size_t count) {
    // The dropped lines are the oldest: those in the document go from its start, those
    // still waiting were never put in.
    const size_t inDocument = std::min(count, shown_);
    shown_ -= inDocument;
    if (inDocument > 0) {
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::Start);
        if (shown_ == 0)
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        else
            cursor.setPosition(document()->findBlockByNumber(static_cast<int>(inDocument)).position(),
                               QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    flushNow();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ProtocolLogPane::logCleared() {
    flushTimer_.stop();
    clear();
    shown_ = 0;
}

QString ProtocolLogPane::lineText(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= model_->size()) return {};
    return QString::fromStdString(model_->line(static_cast<size_t>(index)).text);
}

QColor ProtocolLogPane::lineColour(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= model_->size()) return {};
    const link::Rgb c = model_->line(static_cast<size_t>(index)).colour;
    return QColor(c.r, c.g, c.b);
}

}  // namespace velmora::console
