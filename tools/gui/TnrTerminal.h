#pragma once
// The terminal display: paints the screen model and sends what the user types to the
// port it is attached to. Repaints are coalesced to the screen's refresh rate and cover
// only the rows that changed, so a device flooding text at full line speed costs little.

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "link/qt/TnrComm.h"
#include "tools/TerminalScreen.h"

namespace velmora::tools {

class TnrTerminal : public QWidget, public link::TerminalSink {
    Q_OBJECT
public:
    explicit TnrTerminal(QWidget* parent = nullptr);

    // Typed bytes go here (the port's send, echo off).
    void setSender(std::function<void(const QByteArray&)> send) { send_ = std::move(send); }

    // TerminalSink: bytes from the line.
    void terminalReceived(const QByteArray& bytes) override;

    const TerminalScreen& screen() const { return screen_; }
    // The screen's text, row by row (what assistive technology reads).
    QString screenText() const;
    QSize sizeHint() const override;
    QSize cellSize() const { return {cellWidth_, cellHeight_}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab is a character here

private:
    void flushRepaint();
    void toggleBlink();

    TerminalScreen screen_;
    std::function<void(const QByteArray&)> send_;
    QTimer repaint_;  // coalesces the repaints of a burst
    QTimer blink_;
    bool blinkOn_ = true;
    int cellWidth_ = 8;
    int cellHeight_ = 16;
    unsigned bellsHeard_ = 0;
    std::array<QChar, 256> glyphs_{};
};

}  // namespace velmora::tools
