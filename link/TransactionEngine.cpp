#include "link/TransactionEngine.h"

#include <algorithm>
#include <cstring>

#include "common/HexText.h"
#include "link/Crc16.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/RequestFrame.h"
#include "link/TimeLimits.h"

namespace velmora::link {

TransactionEngine::TransactionEngine(LinkState& state, LineOut& line, Clock& clock, EventPump& pump)
    : state_(state), line_(line), clock_(clock), pump_(pump) {}

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
    uint16_t result = kResultOk;
    for (int left = retries; left > 0; --left) {
        AttemptMarks marks = runAttempt(layout.requestLength, layout.expectedLength);
        state_.LinkBusy = false;
        // A broadcast or an initialisation expects no reply: silence is success.
        if (state_.ReplyTimedOut && expectsNoReply) return kResultOk;
        result = attemptResult(marks);
        if (result == kResultOk) break;
    }
    copyReplyData(kind, count);
    return result;
}

uint16_t TransactionEngine::attemptResult(const AttemptMarks& marks) {
    // Later rules win: a time-out over a CRC failure over an error reply.
    uint16_t result = kResultOk;
    if (marks.errorReply) result = state_.RxBuf[1];
    if (marks.crcFailed) {
        result = kResultBadCrc;
        showStatus("Ошибка CRC16");
    }
    if (state_.ReplyTimedOut) result = kResultNoReply;
    return result;
}

TransactionEngine::AttemptMarks TransactionEngine::runAttempt(size_t requestLength,
                                                              size_t expectedLength) {
    logFrame("Send>", state_.TxBuf.data(), requestLength, kRequestColour);
    state_.LinkBusy = true;
    state_.RxCount = 0;
    state_.ReplyTimedOut = false;
    AttemptMarks marks;
    showStatus({});
    line_.send(state_.TxBuf.data(), requestLength);

    // The limit counts from the moment the line falls quiet: at low speeds the frames
    // themselves take longer than the limit.
    const uint32_t baud = line_.baud();
    const uint64_t deadline =
        clock_.nowMs() + wireTimeMs(requestLength + expectedLength, baud) + replyLimitMs(baud);
    for (;;) {
        ++dispatchDepth_;
        pump_.waitForEvents(deadline + 1);
        --dispatchDepth_;
        if (state_.RxCount == 5 && (state_.RxBuf[1] & 0x80)) marks.errorReply = true;
        if (state_.RxCount == expectedLength) {
            marks.complete = true;
            if (!frameCrcOk(state_.RxBuf.data(), expectedLength)) marks.crcFailed = true;
        }
        if (clock_.nowMs() > deadline) state_.ReplyTimedOut = true;
        if (state_.ReplyTimedOut || marks.complete || marks.errorReply) break;
    }
    if (state_.RxCount > 0) {
        size_t stored = std::min<size_t>(state_.RxCount, state_.RxBuf.size());
        logFrame("<Res ", state_.RxBuf.data(), stored, kReplyColour);
    }
    return marks;
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
    for (size_t i = 0; i < count; ++i) {
        // Bytes past RxBuf are counted, never stored: the count then cannot match the
        // expected length and the attempt times out.
        if (state_.RxCount < state_.RxBuf.size()) state_.RxBuf[state_.RxCount] = data[i];
        if (state_.RxCount < 0xFFFF) ++state_.RxCount;
    }
}

bool TransactionEngine::rawExchange(const uint8_t* frame, size_t length, uint32_t windowMs) {
    if (refuseNested()) return false;
    state_.RxBuf.fill(0);
    state_.ReplyTimedOut = false;
    state_.RxCount = 0;
    state_.LinkBusy = true;
    line_.send(frame, length);
    waitUntil(clock_.nowMs() + windowMs);
    state_.LinkBusy = false;
    return true;
}

void TransactionEngine::pause(uint32_t ms) {
    waitUntil(clock_.nowMs() + ms);
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
