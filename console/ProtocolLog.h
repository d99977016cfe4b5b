#pragma once
// The protocol log's lines: what the engine, the console and the firmware work write,
// kept whether or not a page shows them. A view hears of each change and mirrors it.

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

#include "console/ConsoleExchange.h"
#include "link/LinkPorts.h"

namespace velmora::console {

struct LogLine {
    std::string text;
    link::Rgb colour;
};

class LogView {
public:
    virtual ~LogView() = default;
    virtual void linesAppended() = 0;
    // The oldest `count` lines went.
    virtual void linesDropped(size_t count) = 0;
    virtual void logCleared() = 0;
};

class ProtocolLogModel : public link::ProtocolLog, public ConsoleLog {
public:
    struct Switches {
        std::function<bool()> exchange;    // "Протокол обмена по Modbus"
        std::function<bool()> times;       // "Время в протоколе"
        std::function<std::string()> now;  // the time of day, "14:03:27.015"
    };
    void setSwitches(Switches switches) { switches_ = std::move(switches); }
    void setView(LogView* view) { view_ = view; }

    bool exchangeLogging() const override { return switches_.exchange && switches_.exchange(); }
    // With "Время в протоколе" checked the line starts with the time it came at.
    void appendLine(const std::string& text, link::Rgb colour) override;
    void keepLastLines(size_t lines) override;
    void clear();

    size_t size() const { return lines_.size(); }
    const LogLine& line(size_t index) const { return lines_[index]; }
    // Every line, each ended by a line feed.
    std::string allText() const;

private:
    Switches switches_;
    LogView* view_ = nullptr;
    std::deque<LogLine> lines_;
};

}  // namespace velmora::console
