#pragma once
// The protocol log `reProt`: coloured lines appended at the end, as the engine and the
// console write them.

#include <QTextEdit>

#include "link/LinkPorts.h"

class QAction;

namespace velmora::console {

class ProtocolLogPane : public QTextEdit, public link::ProtocolLog {
    Q_OBJECT
public:
    explicit ProtocolLogPane(QWidget* parent = nullptr);

    // The check mark of "Протокол обмена по Modbus".
    void setExchangeSwitch(const QAction* mmProt) { switch_ = mmProt; }
    bool exchangeLogging() const override;
    void appendLine(const std::string& text, link::Rgb colour) override;
    int lineCount() const;
    QString lineText(int index) const;

private:
    const QAction* switch_ = nullptr;
};

}  // namespace velmora::console
