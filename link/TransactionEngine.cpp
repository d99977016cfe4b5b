#include "link/TransactionEngine.h"

#include <algorithm>
#include <cstring>

#include "common/HexText.h"
#include "link/Crc16.h"
#include "link/OperationKind.h"
#include "link/ReplyCollector.h"
#include "link/ReplyCodes.h"
#include "link/RequestFrame.h"
#include "link/TimeLimits.h"

namespace velmora::link {

TransactionEngine::TransactionEngine(LinkState& state, LineOut& line, Clock& clock, EventPump& pump)
    : state_(state), line_(line), clock_(clock), pump_(pump), collector_(state) {}

bool TransactionEngine::refuseNested() const {
    // Only code run from our own dispatching can interleave: the operation that holds
    // the link calls in from outside any wait.
    return state_.LinkBusy || (holds_ > 0 && dispatchDepth_ > 0);
}

uint16_t TransactionEngine::trans_Action(uint8_t cid, uint8_t kind, uint16_t address,
                                         uint16_t count, uint8_t slave, uint8_t retries) {
    if (refuseNested()) return kResultLinkBusy;
    uint16_t result = exchange(cid, kind, address, count, slave, retries);
    showStatus(replyMessage(result));
    noticeIfFree();
    return result;
}

uint16_t TransactionEngine::exchange(uint8_t cid, uint8_t kind, uint16_t address, uint16_t count,
                                     uint8_t slave, uint8_t retries) {
    if (state_.PortLost) return kResultPortLost;
    if (kind >= kKindCount) return kResultUnknownKind;
    RequestArgs args{cid, kind, address, count, slave, initNode_ ? initNode_() : cid};
    RequestLayout layout;
    if (!buildRequest(args, state_.WriteData.data(), state_.TxBuf.data(), layout))
        return kResultFrameTooLong;
    state_.ReplyHeaderLen = layout.headerLength;

    const bool expectsNoReply = kind == initMod || cid == 0;
    ReplyExpectation expectation;
    expectation.length = layout.expectedLength;
    // Nobody is meant to answer a broadcast or an initialisation, so there is no
    // header to match a reply against.
    expectation.matchHeader = !expectsNoReply;
    expectation.node = state_.TxBuf[0];
    expectation.command = state_.TxBuf[1];

    uint16_t result = kResultOk;
    int attempts = 0, echoRefusals = 0;
    for (int left = retries; left > 0; --left) {
        bool refusedForEcho = false;
        const ReplyVerdict verdict = runAttempt(layout.requestLength, expectation, refusedForEcho);
        ++attempts;
        if (refusedForEcho) ++echoRefusals;
        state_.LinkBusy = false;
        // A broadcast or an initialisation expects no reply: silence is success.
        if (state_.ReplyTimedOut && expectsNoReply) return kResultOk;
        result = attemptResult(verdict);
        if (result == kResultOk) break;
    }
    if (result == kResultOk && collector_.verdict() == ReplyVerdict::Complete)
        echo_.learn(state_.TxBuf.data(), state_.RxBuf.data());
    // Every attempt found only replies that did not echo: this module no longer echoes.
    if (result != kResultOk && echoRefusals >= 2 && echoRefusals == attempts)
        echo_.forget(state_.TxBuf.data());
    copyReplyData(kind, count);
    return result;
}

uint16_t TransactionEngine::attemptResult(ReplyVerdict verdict) {
    // A time-out wins over a CRC failure, which wins over an error reply.
    if (state_.ReplyTimedOut) return kResultNoReply;
    switch (verdict) {
        case ReplyVerdict::ErrorReply:
            return state_.RxBuf[1];
        case ReplyVerdict::BadCrc:
            showStatus("Ошибка CRC16");
            return kResultBadCrc;
        case ReplyVerdict::Complete:
        case ReplyVerdict::Incomplete:
            break;
    }
    return kResultOk;
}

ReplyVerdict TransactionEngine::runAttempt(size_t requestLength,
                                           const ReplyExpectation& expectation,
                                           bool& refusedForEcho) {
    const uint8_t node = state_.TxBuf[0];
    if (expectation.matchHeader && guard_.isOpen(node, clock_.nowMs()))
        drainUntil(node, guard_.until(node));
    logFrame("Send>", state_.TxBuf.data(), requestLength, kRequestColour);
    // Whatever waits unread now was sent before this request and cannot answer it.
    line_.discardInput();
    collector_.begin(expectation);
    state_.LinkBusy = true;
    state_.ReplyTimedOut = false;
    showStatus({});
    const uint64_t sentMs = clock_.nowMs();
    line_.send(state_.TxBuf.data(), requestLength);

    // The limit counts from the moment the line falls quiet: at low speeds the frames
    // themselves take longer than the limit.
    const uint32_t baud = line_.baud();
    const uint64_t deadline = sentMs + wireTimeMs(requestLength + expectation.length, baud) +
                              replyLimitMs(baud);
    ReplyVerdict verdict = ReplyVerdict::Incomplete;
    for (;;) {
        ++dispatchDepth_;
        pump_.waitForEvents(deadline + 1);
        --dispatchDepth_;
        verdict = collector_.verdict();
        if (verdict == ReplyVerdict::Complete && expectation.matchHeader &&
            !believable(requestLength, sentMs, refusedForEcho)) {
            collector_.rejectReply();
            verdict = ReplyVerdict::Incomplete;
        }
        if (clock_.nowMs() > deadline) state_.ReplyTimedOut = true;
        if (state_.ReplyTimedOut || verdict != ReplyVerdict::Incomplete) break;
    }
    noteLateStrays();
    if (!collector_.strays().empty())
        logFrame("<Res ", collector_.strays().data(), collector_.strays().size(), kReplyColour);
    if (state_.RxCount > 0)
        logFrame("<Res ", state_.RxBuf.data(), collector_.stored(), kReplyColour);
    // The module may yet answer; until it could have, its replies are not trusted.
    if (state_.ReplyTimedOut && expectation.matchHeader)
        guard_.open(node, deadline + StragglerGuard::guardMs(baud));
    return verdict;
}

bool TransactionEngine::believable(size_t requestLength, uint64_t sentMs,
                                   bool& refusedForEcho) const {
    const size_t replyLength = collector_.stored();
    if (line_.hasWireTime()) {
        // Request and reply both had to cross the line; the clock's ticks may cut a
        // millisecond off what was measured.
        const uint64_t bits = static_cast<uint64_t>(requestLength + replyLength) * 10 * 1000;
        const uint64_t leastMs = bits / std::max<uint32_t>(line_.baud(), 1);
        if (clock_.nowMs() - sentMs + 1 < leastMs) return false;
    }
    if (replyLength >= 5 && echo_.demanded(state_.TxBuf.data()) &&
        !HeaderEcho::echoes(state_.TxBuf.data(), state_.RxBuf.data())) {
        refusedForEcho = true;
        return false;
    }
    return true;
}

void TransactionEngine::noteLateStrays() {
    // A straggler that comes while another node is asked is set aside; if it is from a
    // node still awaited, that node did answer.
    const auto& strays = collector_.strays();
    if (!strays.empty() && guard_.until(strays[0]) != 0) guard_.noteLateAnswer(strays[0]);
}

void TransactionEngine::drainUntil(uint8_t node, uint64_t until) {
    collector_.begin(ReplyExpectation{});
    state_.LinkBusy = true;
    lastRxMs_ = 0;
    waitUntil(until);
    // A reply still coming in when the guard ends is let through to its end.
    const uint64_t limit = until + StragglerGuard::overrunMs(line_.baud());
    while (state_.RxCount > 0 && lastRxMs_ + StragglerGuard::kQuietMs > clock_.nowMs() &&
           clock_.nowMs() < limit)
        waitUntil(std::min(lastRxMs_ + StragglerGuard::kQuietMs, limit));
    state_.LinkBusy = false;
    if (state_.RxCount > 0) {
        logFrame("<Res ", state_.RxBuf.data(), collector_.stored(), kReplyColour);
        if (state_.RxBuf[0] == node) guard_.noteLateAnswer(node);
    }
    state_.RxCount = 0;
    guard_.close(node);
}

void TransactionEngine::settle(uint8_t node) {
    if (refuseNested()) return;
    if (guard_.isOpen(node, clock_.nowMs()))
        drainUntil(node, guard_.until(node));
    else
        guard_.close(node);
    noticeIfFree();
}

void TransactionEngine::settleAll() {
    if (refuseNested()) return;
    const uint64_t until = guard_.latest();
    if (until > clock_.nowMs()) {
        collector_.begin(ReplyExpectation{});
        state_.LinkBusy = true;
        waitUntil(until);
        state_.LinkBusy = false;
        if (state_.RxCount > 0) {
            logFrame("<Res ", state_.RxBuf.data(), collector_.stored(), kReplyColour);
            if (guard_.until(state_.RxBuf[0]) != 0) guard_.noteLateAnswer(state_.RxBuf[0]);
        }
        state_.RxCount = 0;
    }
    for (unsigned n = 0; n < 256; ++n) guard_.close(static_cast<uint8_t>(n));
    noticeIfFree();
}

bool TransactionEngine::awaitingStraggler(uint8_t node) const {
    return guard_.isOpen(node, clock_.nowMs());
}

void TransactionEngine::lineChanged() {
    echo_.forgetAll();
    guard_ = StragglerGuard{};
}

void TransactionEngine::copyReplyData(uint8_t kind, uint16_t count) {
    if (!isReadKind(kind)) return;
    if (kind == rdID) {
        std::memcpy(state_.ReplyData.data(), state_.RxBuf.data() + 2, 254);
        return;
    }
    size_t n = std::min<size_t>(count, state_.RxBuf.size() - 5);
    std::memcpy(state_.ReplyData.data(), state_.RxBuf.data() + 5, n);
}

void TransactionEngine::commAfterReceive(const uint8_t* data, size_t count) {
    if (!state_.LinkBusy) return;
    if (count > 0) lastRxMs_ = clock_.nowMs();
    collector_.feed(data, count);
}

bool TransactionEngine::rawExchange(const uint8_t* frame, size_t length, uint32_t windowMs) {
    if (refuseNested()) return false;
    line_.discardInput();
    state_.RxBuf.fill(0);
    state_.ReplyTimedOut = false;
    collector_.begin(ReplyExpectation{});
    state_.LinkBusy = true;
    line_.send(frame, length);
    waitUntil(clock_.nowMs() + windowMs);
    state_.LinkBusy = false;
    noticeIfFree();
    return true;
}

void TransactionEngine::pause(uint32_t ms) {
    waitUntil(clock_.nowMs() + ms);
    noticeIfFree();
}

void TransactionEngine::noticeIfFree() {
    if (isIdle() && freeNotice_) freeNotice_();
}

void TransactionEngine::waitUntil(uint64_t deadline) {
    ++dispatchDepth_;
    while (clock_.nowMs() < deadline) pump_.waitForEvents(deadline);
    --dispatchDepth_;
}

void TransactionEngine::logFrame(const char* prefix, const uint8_t* data, size_t count,
                                 Rgb colour) {
    if (!log_ || !log_->exchangeLogging()) return;
    log_->appendLine(prefix + hexBytes(data, count), colour);
}

void TransactionEngine::showStatus(const std::string& text) {
    if (status_) status_->showStatus(text);
}

}  // namespace velmora::link
