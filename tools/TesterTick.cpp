#include "tools/TesterTick.h"

#include <array>
#include <vector>

#include "common/HexText.h"
#include "link/Crc16.h"
#include "link/FrameLayout.h"
#include "link/RawExchange.h"
#include "tools/TestFileCheck.h"
#include "tools/TestLine.h"

namespace velmora::tools {

std::string testReplyText(const uint8_t* bytes, size_t count, bool whole) {
    const bool ok = whole && link::frameCrcOk(bytes, count);
    return hexBytes(bytes, count) + (ok ? " CRC16 OK" : " CRC16 Bad");
}

std::string requestLogLine(const std::string& stamp, const std::string& displayText) {
    return stamp + "< " + displayText;
}

std::string replyLogLine(const std::string& stamp, const std::string& replyText) {
    return stamp + " > " + replyText;
}

TickResult runTestTick(link::TransactionEngine& engine, TestList& list, uint32_t waitMs) {
    TickResult result;
    if (!list.canRun()) return result;
    if (!engine.isIdle()) {
        result.outcome = TickOutcome::Busy;
        return result;
    }
    const std::optional<size_t> at = list.findNextCommand();
    if (!at) return result;

    result.displayText = std::string(trimTestLine(list.lines()[*at]));
    const TestLineBytes parsed = parseTestLine(result.displayText);
    if (parsed.error != TestLineError::None) {
        result.outcome = TickOutcome::Refused;
        const TestLineOrigin origin = list.lineOrigin(*at);
        result.message = testLineMessage(origin.path, origin.line, parsed);
        return result;
    }
    const bool wrapped = list.advance();
    result.listDone = wrapped || !list.restHasCommand();
    // The CRC of no bytes means nothing: an empty line is not a frame.
    if (parsed.bytes.empty()) {
        result.outcome = TickOutcome::Empty;
        return result;
    }

    std::vector<uint8_t> frame = parsed.bytes;
    frame.resize(frame.size() + 2);
    link::appendCrc(frame.data(), parsed.bytes.size());
    result.crc = static_cast<uint16_t>(frame[frame.size() - 2] | frame.back() << 8);
    std::array<uint8_t, link::kFrameMax> reply{};
    const link::RawReply got = link::exchangeRaw(engine, frame, reply, waitMs);
    if (!got.sent) {
        result.outcome = TickOutcome::Busy;
        return result;
    }
    if (got.kept < 3) {
        result.outcome = TickOutcome::NoReply;
        return result;
    }
    result.outcome = TickOutcome::Answered;
    result.replyText = testReplyText(reply.data(), got.kept, got.whole());
    return result;
}

TimerAfterTick timerAfterTick(CycleMode mode, const TickResult& tick) {
    switch (tick.outcome) {
    case TickOutcome::Idle:
    case TickOutcome::Busy: return TimerAfterTick::Keep;
    case TickOutcome::Refused:
    case TickOutcome::NoReply:
        return mode == CycleMode::Step ? TimerAfterTick::Stop : TimerAfterTick::StopAndUncheck;
    case TickOutcome::Empty:
    case TickOutcome::Answered: break;
    }
    switch (mode) {
    case CycleMode::Cyclic: return TimerAfterTick::Rearm;
    case CycleMode::Once: return tick.listDone ? TimerAfterTick::StopAndUncheck : TimerAfterTick::Rearm;
    case CycleMode::Step: return TimerAfterTick::Stop;
    }
    return TimerAfterTick::Stop;
}

}  // namespace velmora::tools
