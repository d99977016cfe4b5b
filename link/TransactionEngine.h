#pragma once
// One request/reply exchange at a time with a module, and the raw exchanges of the
// console and the tester. The caller owns the bytes to write and the room for the
// reply's; the engine keeps the frames on the line in its own buffers (LinkState's
// TxBuf and RxBuf), which nobody else reads or fills.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "link/HeaderEcho.h"
#include "link/LinkPorts.h"
#include "link/LinkState.h"
#include "link/ReplyCodes.h"
#include "link/ReplyCollector.h"
#include "link/RequestFrame.h"
#include "link/StragglerGuard.h"

namespace velmora::link {

struct Result {
    // 0, an error-reply byte, or one of the ResultCode values.
    uint16_t code = kResultOk;
    // Data bytes of a read's whole reply put into the caller's room (the count asked,
    // 252 for the identifier, or less when the room is smaller); 0 on failure.
    size_t received = 0;
    bool ok() const { return code == kResultOk; }
};

// What a raw exchange got.
struct RawReply {
    bool sent = false;  // false: the link was in use and nothing went out
    size_t came = 0;    // bytes that came, also those that found no room (up to 0xFFFF)
    size_t kept = 0;    // bytes put into the caller's room
    bool whole() const { return kept == came; }
};

class TransactionEngine {
public:
    TransactionEngine(LinkState& state, LineOut& line, Clock& clock, EventPump& pump);

    void setProtocolLog(ProtocolLog* log) { log_ = log; }
    // Told of every transaction as it goes; the engine itself says nothing to the user.
    void setWatch(TransactionWatch* watch) { watch_ = watch; }
    // Node address that an initMod frame carries: the selected module's. Unset, the
    // frame carries the call's own address.
    void setInitNodeSource(std::function<uint8_t()> source) { initNode_ = std::move(source); }
    // Called each time the link becomes idle: the last wait, exchange or hold is over.
    void setFreeNotice(std::function<void()> notice) { freeNotice_ = std::move(notice); }

    // A write sends `request.count` bytes of `write` (refused with kResultFrameTooLong,
    // nothing sent, when `write` holds fewer); a read puts the reply's data into `reply`,
    // as much as fits. The data are put there whatever the result, but mean something
    // only on success. Refuses with kResultLinkBusy, sending nothing, when it is called
    // from an event dispatched while the link is in use; kResultPortLost while the port
    // is lost.
    Result transact(const Request& request, std::span<const uint8_t> write,
                    std::span<uint8_t> reply);

    // The port's receive event.
    void commAfterReceive(const uint8_t* data, size_t count);

    // Sends `frame` as it stands and collects whatever arrives for `windowMs`; as much of
    // it as fits goes into `reply` (at most a frame's length). Sends nothing when the link
    // is in use. The port-lost mark is not consulted.
    RawReply rawExchange(std::span<const uint8_t> frame, std::span<uint8_t> reply,
                         uint32_t windowMs);

    // Dispatches events for `ms` (the pauses of scans and programming runs).
    void pause(uint32_t ms);

    // Waits out the time in which `node` may still answer a request that timed out,
    // dropping what comes. Every request to that node does this first by itself; a
    // caller that must know now whether the node answered late (the scan) calls it
    // straight after the time-out. Does nothing while the link is in use.
    void settle(uint8_t node);
    // Waits out every node's straggler time.
    void settleAll();
    // Whether `node` answered a timed-out request late since the last call.
    bool takeLateAnswer(uint8_t node) { return guard_.takeLateAnswer(node); }
    // Whether the last attempt heard anything from `node`: a reply begun, or bytes set
    // aside that no other node's straggler explains (a reply whose first bytes were
    // spoilt).
    bool heardFrom(uint8_t node) const;
    // Forgets the late answers noted so far (a new scan starts from nothing).
    void forgetLateAnswers();
    // Whether a straggler from `node` may still come.
    bool awaitingStraggler(uint8_t node) const;
    // The port was opened again, maybe onto other modules: what was learnt of the old
    // ones no longer holds.
    void lineChanged();

    // While a Hold lives, transactions started from dispatched events (timer ticks, user
    // clicks) are refused, so a multi-transaction operation is never interleaved.
    class Hold {
    public:
        explicit Hold(TransactionEngine& engine) : engine_(&engine) { ++engine_->holds_; }
        Hold(Hold&& other) noexcept : engine_(other.engine_) { other.engine_ = nullptr; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Hold& operator=(Hold&&) = delete;
        ~Hold() {
            if (!engine_) return;
            --engine_->holds_;
            engine_->noticeIfFree();
        }

    private:
        TransactionEngine* engine_;
    };
    Hold hold() { return Hold(*this); }

    // No transaction waits and no operation holds the link.
    bool isFree() const { return !state_.LinkBusy && holds_ == 0; }
    // Free, and not inside any of the engine's waits (a pause included): what runs now
    // runs from the event loop itself, so a modal window cannot hold up a wait.
    bool isIdle() const { return isFree() && dispatchDepth_ == 0; }

    LinkState& state() { return state_; }

private:
    bool refuseNested() const;
    Result exchange(const Request& request, std::span<const uint8_t> write,
                    std::span<uint8_t> reply);
    ReplyVerdict runAttempt(size_t requestLength, const ReplyExpectation& expectation);
    // Whether the complete reply now in RxBuf can be the answer to the request sent at
    // `sentMs`, or must be a straggler from an earlier one.
    bool believable(size_t requestLength, uint64_t sentMs);
    bool tooEarly(size_t requestLength, size_t replyLength, uint64_t sentMs) const;
    void drainUntil(uint8_t node, uint64_t until);
    void noteLateFrames(const uint8_t* bytes, size_t count);
    void noteLateStrays();
    uint16_t attemptResult(ReplyVerdict verdict);
    void waitUntil(uint64_t deadline);
    size_t copyReplyData(uint8_t kind, uint16_t count, std::span<uint8_t> reply) const;
    void logFrame(const char* prefix, const uint8_t* data, size_t count, Rgb colour);
    void noticeIfFree();

    LinkState& state_;
    LineOut& line_;
    Clock& clock_;
    EventPump& pump_;
    ReplyCollector collector_;
    StragglerGuard guard_;
    HeaderEcho echo_;
    uint64_t lastRxMs_ = 0;
    bool stragglerPossible_ = false;  // an attempt has timed out since the line opened
    bool wireRuleOn_ = true;
    ProtocolLog* log_ = nullptr;
    TransactionWatch* watch_ = nullptr;
    std::function<uint8_t()> initNode_;
    std::function<void()> freeNotice_;
    int holds_ = 0;
    int dispatchDepth_ = 0;
};

}  // namespace velmora::link
