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
    for (int left = retries; left > 0; --left) {
        const ReplyVerdict verdict = runAttempt(layout.requestLength, expectation);
        state_.LinkBusy = false;
        // A broadcast or an initialisation expects no reply: silence is success.
        if (state_.ReplyTimedOut && expectsNoReply) return kResultOk;
        result = attemptResult(verdict);
        if (result == kResultOk) break;
    }
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
                                           const ReplyExpectation& expectation) {
    logFrame("Send>", state_.TxBuf.data(), requestLength, kRequestColour);
    // Whatever waits unread now was sent before this request and cannot answer it.
    line_.discardInput();
    collector_.begin(expectation);
    state_.LinkBusy = true;
    state_.ReplyTimedOut = false;
    showStatus({});
    line_.send(state_.TxBuf.data(), requestLength);

    // The limit counts from the moment the line falls quiet: at low speeds the frames
    // themselves take longer than the limit.
    const uint32_t baud = line_.baud();
    const uint64_t deadline = clock_.nowMs() +
                              wireTimeMs(requestLength + expectation.length, baud) +
                              replyLimitMs(baud);
    ReplyVerdict verdict = ReplyVerdict::Incomplete;
    for (;;) {
        ++dispatchDepth_;
        pump_.waitForEvents(deadline + 1);
        --dispatchDepth_;
        verdict = collector_.verdict();
        if (clock_.nowMs() > deadline) state_.ReplyTimedOut = true;
        if (state_.ReplyTimedOut || verdict != ReplyVerdict::Incomplete) break;
    }
    if (!collector_.strays().empty())
        logFrame("<Res ", collector_.strays().data(), collector_.strays().size(), kReplyColour);
    if (state_.RxCount > 0)
        logFrame("<Res ", state_.RxBuf.data(), collector_.stored(), kReplyColour);
    return verdict;
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
