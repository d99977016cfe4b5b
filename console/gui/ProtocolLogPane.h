#pragma once
// The protocol log `reProt`: coloured lines appended at the end by the engine, the
// console and the firmware work.
//
// Lines may come by the thousand (a programming run logs every frame) and the log is
// never shortened but by the console and "Очистить". Lines are therefore gathered and
// put into the document at most every 25 ms, in one edit, followed by a single scroll
// and repaint; a plain-text document appends a block in time that does not grow with
// its length. Whoever reads the log gets the gathered lines put in first.

#include <QPlainTextEdit>
#include <QTimer>
#include <vector>

#include "console/ConsoleExchange.h"
#include "link/LinkPorts.h"

class QAction;

namespace velmora::console {

// The firmware work's lines, written while "Протокол системных операций" is checked.
class SystemOperationLog {
public:
    virtual ~SystemOperationLog() = default;
    virtual bool systemLogging() const = 0;
    virtual void appendSystemLine(const std::string& text, link::Rgb colour) = 0;
};

class ProtocolLogPane : public QPlainTextEdit,
                        public link::ProtocolLog,
                        public ConsoleLog,
                        public SystemOperationLog {
    Q_OBJECT
public:
    explicit ProtocolLogPane(QWidget* parent = nullptr);

    // The check mark of "Протокол обмена по Modbus".
    void setExchangeSwitch(const QAction* mmProt) { switch_ = mmProt; }
    // The check mark of "Протокол системных операций".
    void setSystemOperationSwitch(const QAction* mmProtSysOp) { systemSwitch_ = mmProtSysOp; }
    // The check mark of "Время в протоколе": each line then starts with the time of day
    // it came at, to the millisecond ("14:03:27.015 ").
    void setTimeSwitch(const QAction* mmProtTime) { timeSwitch_ = mmProtTime; }
    bool exchangeLogging() const override;
    bool systemLogging() const override;
    void appendLine(const std::string& text, link::Rgb colour) override;
    void appendSystemLine(const std::string& text, link::Rgb colour) override;
    void keepLastLines(size_t lines) override;

    void clearLog();
    int lineCount() const;
    QString lineText(int index) const;
    QColor lineColour(int index) const;
    // Every line, each ended by a line feed.
    QString allText() const;
    // Puts the lines gathered so far into the document now.
    void flush() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Pending {
        QString text;
        QColor colour;
    };
    void flushNow();

    const QAction* switch_ = nullptr;
    const QAction* systemSwitch_ = nullptr;
    const QAction* timeSwitch_ = nullptr;
    std::vector<Pending> pending_;
    int lines_ = 0;  // in the document; the empty document still holds one empty block
    bool fontTaken_ = false;
    QTimer flushTimer_;
};

}  // namespace velmora::console
