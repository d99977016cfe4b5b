#include "console/gui/ProtocolLogPane.h"

#include <QTime>

#include <QAction>
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

bool ProtocolLogPane::exchangeLogging() const {
    return switch_ && switch_->isChecked();
}

bool ProtocolLogPane::systemLogging() const {
    return systemSwitch_ && systemSwitch_->isChecked();
}

void ProtocolLogPane::appendLine(const std::string& text, link::Rgb colour) {
    QString line = QString::fromStdString(text);
    if (timeSwitch_ && timeSwitch_->isChecked())
        line.prepend(QTime::currentTime().toString("HH:mm:ss.zzz "));
    pending_.push_back({line, QColor(colour.r, colour.g, colour.b)});
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void ProtocolLogPane::appendSystemLine(const std::string& text, link::Rgb colour) {
    if (systemLogging()) appendLine(text, colour);
}

void ProtocolLogPane::flush() const {
    // Reading the log is no change to it, whether or not the lines are in yet.
    const_cast<ProtocolLogPane*>(this)->flushNow();
}

void ProtocolLogPane::flushNow() {
    flushTimer_.stop();
    if (pending_.empty()) return;
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    for (const Pending& line : pending_) {
        if (lines_ > 0) cursor.insertBlock();
        ++lines_;
        format.setForeground(line.colour);
        cursor.insertText(line.text, format);
    }
    cursor.endEditBlock();
    pending_.clear();
    // Someone reading back in the log keeps the place read.
    if (atEnd) bar->setValue(bar->maximum());
}

void ProtocolLogPane::keepLastLines(size_t lines) {
    flush();
    const int excess = lineCount() - static_cast<int>(lines);
    if (excess <= 0) return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::Start);
    cursor.setPosition(document()->findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    lines_ -= excess;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ProtocolLogPane::clearLog() {
    pending_.clear();
    flushTimer_.stop();
    clear();
    lines_ = 0;
}

int ProtocolLogPane::lineCount() const {
    flush();
    return lines_;
}

QString ProtocolLogPane::lineText(int index) const {
    flush();
    return document()->findBlockByNumber(index).text();
}

QColor ProtocolLogPane::lineColour(int index) const {
    flush();
    const QTextBlock block = document()->findBlockByNumber(index);
    return block.begin().atEnd() ? QColor() : block.begin().fragment().charFormat().foreground().color();
}

QString ProtocolLogPane::allText() const {
    flush();
    QString out;
    if (lines_ == 0) return out;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) out += b.text() + '\n';
    return out;
}

}  // namespace velmora::console
