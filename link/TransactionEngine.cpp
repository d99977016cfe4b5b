#include "link/TransactionEngine.h"

#include <algorithm>
#include <cstring>

#include "common/HexText.h"
#include "link/Crc16.h"
#include "link/FrameLayout.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/ReplyCollector.h"
#include "link/RequestFrame.h"
#include "link/TimeLimits.h"

namespace velmora::link {

namespace {
// A frame of `node` may start at `bytes[i]`: its address, then a command byte or an
// error reply's.
bool frameStartOf(uint8_t node, const uint8_t* bytes, size_t i, size_t count) {
    if (i + 1 >= count || bytes[i] != node) return false;
    const uint8_t command = bytes[i + 1];
    return commandLayout(command) != nullptr || (command & 0x80);
}
}  // namespace

TransactionEngine::TransactionEngine(LinkState& state, LineOut& line, Clock& clock, EventPump& pump)
    : state_(state), line_(line), clock_(clock), pump_(pump), collector_(state) {}

bool TransactionEngine::refuseNested() const {
    // Only code run from our own dispatching can interleave: the operation that holds
    // the link calls in from outside any wait.
    return state_.LinkBusy || (holds_ > 0 && dispatchDepth_ > 0);
}

Result TransactionEngine::transact(const Request& request, std::span<const uint8_t> write,
                                   std::span<uint8_t> reply) {
    Result result;
    if (refuseNested()) {
        result.code = kResultLinkBusy;
    } else {
        result = exchange(request, write, reply);
        noticeIfFree();
    }
    if (watch_) watch_->finished(result.code);
    return result;
}

Result TransactionEngine::exchange(const Request& request, std::span<const uint8_t> write,
                                   std::span<uint8_t> reply) {
    const uint8_t kind = request.kind;
    if (state_.PortLost) return {kResultPortLost};
    if (kind >= kKindCount) return {kResultUnknownKind};
    if (isWriteKind(kind) && write.size() < request.count) return {kResultFrameTooLong};
    const uint8_t cid = request.node;
    RequestLayout layout;
    if (!buildRequest(request, initNode_ ? initNode_() : cid, write.data(), state_.TxBuf.data(),
                      layout))
        return {kResultFrameTooLong};

    const bool expectsNoReply = kind == initMod || cid == 0;
    ReplyExpectation expectation;
    expectation.length = layout.expectedLength;
    // Nobody is meant to answer a broadcast or an initialisation, so there is no
    // header to match a reply against.
    expectation.matchHeader = !expectsNoReply;
    expectation.node = state_.TxBuf[0];
    expectation.command = state_.TxBuf[1];

    Result result;
    int attempts = 0;
    for (int left = request.attempts; left > 0; --left) {
        const ReplyVerdict verdict = runAttempt(layout.requestLength, expectation);
        ++attempts;
        state_.LinkBusy = false;
        // A broadcast or an initialisation expects no reply: silence is success.
        if (state_.ReplyTimedOut && expectsNoReply) return {};
        result.code = attemptResult(verdict);
        if (result.ok()) break;
        if (watch_) watch_->attemptFailed(result.code);
    }
    const bool whole =
        attempts > 0 && result.ok() && collector_.verdict() == ReplyVerdict::Complete;
    if (whole) echo_.learn(state_.TxBuf.data(), state_.RxBuf.data());
    const size_t copied = copyReplyData(kind, request.count, reply);
    if (whole) result.received = copied;
    return result;
}

uint16_t TransactionEngine::attemptResult(ReplyVerdict verdict) {
    // A time-out wins over a CRC failure, which wins over an error reply.
    if (state_.ReplyTimedOut) return kResultNoReply;
    switch (verdict) {
        case ReplyVerdict::ErrorReply:
            return state_.RxBuf[1];
        case ReplyVerdict::BadCrc:
            return kResultBadCrc;
        case ReplyVerdict::Complete:
        case ReplyVerdict::Incomplete:
            break;
    }
    return kResultOk;
}

ReplyVerdict TransactionEngine::runAttempt(size_t requestLength,
                                           const ReplyExpectation& expectation) {
    const uint8_t node = state_.TxBuf[0];
    if (expectation.matchHeader && guard_.isOpen(node, clock_.nowMs()))
        drainUntil(node, guard_.until(node));
    logFrame("Send>", state_.TxBuf.data(), requestLength, kRequestColour);
    // Whatever waits unread now was sent before this request and cannot answer it.
    line_.discardInput();
    collector_.begin(expectation);
    state_.LinkBusy = true;
    state_.ReplyTimedOut = false;
    if (watch_) watch_->attemptStarted();
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
            !believable(requestLength, sentMs)) {
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
    if (state_.ReplyTimedOut && expectation.matchHeader) {
        guard_.open(node, deadline + StragglerGuard::guardMs(baud));
        stragglerPossible_ = true;
    }
    return verdict;
}

bool TransactionEngine::believable(size_t requestLength, uint64_t sentMs) {
    const size_t replyLength = collector_.stored();
    if (line_.hasWireTime() && wireRuleOn_ && tooEarly(requestLength, replyLength, sentMs)) {
        // Before any attempt has timed out there is no straggler to come: a reply that
        // early says this port hands bytes over faster than the line (a USB device of
        // its own, a virtual port), and the rule cannot be used on it.
        if (!stragglerPossible_)
            wireRuleOn_ = false;
        else
            return false;
    }
    if (replyLength >= 5 && echo_.demanded(state_.TxBuf.data()) &&
        !HeaderEcho::echoes(state_.TxBuf.data(), state_.RxBuf.data())) {
        echo_.refused(state_.TxBuf.data());
        return false;
    }
    return true;
}

bool TransactionEngine::tooEarly(size_t requestLength, size_t replyLength, uint64_t sentMs) const {
    // Request and reply both had to cross the line. The module's clock may run a few
    // per cent fast, and the ticks may cut a millisecond off each end of what was
    // measured.
    const uint64_t baud = std::max<uint32_t>(line_.baud(), 1);
    const uint64_t leastMs = (requestLength * 10000 + replyLength * 9500) / baud;
    return clock_.nowMs() - sentMs + 2 < leastMs;
}

void TransactionEngine::noteLateFrames(const uint8_t* bytes, size_t count) {
    // A frame from a node still awaited starts with its address and a command byte (or
    // an error reply's); noise and other nodes' frames around it do not hide it.
    const uint64_t now = clock_.nowMs();
    for (size_t i = 0; i + 1 < count; ++i)
        if (guard_.recentlyAwaited(bytes[i], now) && frameStartOf(bytes[i], bytes, i, count))
            guard_.noteLateAnswer(bytes[i]);
}

void TransactionEngine::noteLateStrays() {
    // A straggler that comes while another node is asked is set aside; if it is from a
    // node still awaited, that node did answer.
    const auto& strays = collector_.strays();
    noteLateFrames(strays.data(), strays.size());
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
        noteLateFrames(state_.RxBuf.data(), collector_.stored());
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
            noteLateFrames(state_.RxBuf.data(), collector_.stored());
        }
        state_.RxCount = 0;
    }
    for (unsigned n = 0; n < 256; ++n) guard_.close(static_cast<uint8_t>(n));
    noticeIfFree();
}


bool TransactionEngine::heardFrom(uint8_t node) const {
    if (state_.RxCount > 0) return true;
    const auto& strays = collector_.strays();
    if (strays.empty()) return false;
    // Bytes set aside are this node's spoilt reply, unless they are explained by the
    // straggler of another node still awaited.
    const uint64_t now = clock_.nowMs();
    bool explained = false;
    for (size_t i = 0; i < strays.size(); ++i) {
        if (frameStartOf(node, strays.data(), i, strays.size())) return true;
        explained = explained || (strays[i] != node && guard_.recentlyAwaited(strays[i], now) &&
                                  frameStartOf(strays[i], strays.data(), i, strays.size()));
    }
    return !explained;
}

bool TransactionEngine::awaitingStraggler(uint8_t node) const {
    return guard_.isOpen(node, clock_.nowMs());
}

void TransactionEngine::lineChanged() {
    echo_.forgetAll();
    guard_ = StragglerGuard{};
    stragglerPossible_ = false;
    wireRuleOn_ = true;
}

void TransactionEngine::forgetLateAnswers() {
    for (unsigned n = 0; n < 256; ++n) guard_.takeLateAnswer(static_cast<uint8_t>(n));
}

size_t TransactionEngine::copyReplyData(uint8_t kind, uint16_t count,
                                        std::span<uint8_t> reply) const {
    if (!isReadKind(kind)) return 0;
    const FrameShape shape = commandLayout(commandOfKind(kind))->shape;
    const size_t offset = replyDataOffset(shape);
    // A reply longer than RxBuf keeps only what RxBuf holds.
    const size_t data =
        std::min(replyLength(shape, count) - offset - kCrcLength, state_.RxBuf.size() - offset);
    const size_t n = std::min(data, reply.size());
    std::memcpy(reply.data(), state_.RxBuf.data() + offset, n);
    return n;
}

void TransactionEngine::commAfterReceive(const uint8_t* data, size_t count) {
    if (!state_.LinkBusy) return;
    if (count > 0) lastRxMs_ = clock_.nowMs();
    collector_.feed(data, count);
}

RawReply TransactionEngine::rawExchange(std::span<const uint8_t> frame, std::span<uint8_t> reply,
                                        uint32_t windowMs) {
    RawReply r;
    if (refuseNested()) return r;
    // A raw frame to a node that may still answer an earlier request would show that
    // answer as its own.
    if (!frame.empty() && guard_.isOpen(frame[0], clock_.nowMs()))
        drainUntil(frame[0], guard_.until(frame[0]));
    line_.discardInput();
    state_.RxBuf.fill(0);
    state_.ReplyTimedOut = false;
    collector_.begin(ReplyExpectation{});
    state_.LinkBusy = true;
    line_.send(frame.data(), frame.size());
    waitUntil(clock_.nowMs() + windowMs);
    state_.LinkBusy = false;
    r.sent = true;
    r.came = state_.RxCount;
    r.kept = std::min(collector_.stored(), reply.size());
    std::memcpy(reply.data(), state_.RxBuf.data(), r.kept);
    noticeIfFree();
    return r;
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

}  // namespace velmora::link
