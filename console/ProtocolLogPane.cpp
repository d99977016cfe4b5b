#include "console/ProtocolLogPane.h"

#include <QAction>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "common/gui/Fonts.h"

namespace velmora::console {

ProtocolLogPane::ProtocolLogPane(QWidget* parent) : QTextEdit(parent) {
    setObjectName("reProt");
    setReadOnly(true);
    setFocusPolicy(Qt::ClickFocus);
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = gui::namedFont("Courier New", 8, true);
    font.setPixelSize(11);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    setPalette(p);
}

bool ProtocolLogPane::exchangeLogging() const {
    return switch_ && switch_->isChecked();
}

void ProtocolLogPane::appendLine(const std::string& text, link::Rgb colour) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!document()->isEmpty()) cursor.insertBlock();
    QTextCharFormat format;
    format.setForeground(QColor(colour.r, colour.g, colour.b));
    cursor.insertText(QString::fromStdString(text), format);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

int ProtocolLogPane::lineCount() const {
    return document()->isEmpty() ? 0 : document()->blockCount();
}

QString ProtocolLogPane::lineText(int index) const {
    return document()->findBlockByNumber(index).text();
}

}  // namespace velmora::console
