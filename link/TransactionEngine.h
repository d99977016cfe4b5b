#pragma once
// One request/reply exchange at a time with a module, and the raw exchanges of the
// console and the tester, all through the shared link buffers.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "link/LinkPorts.h"
#include "link/LinkState.h"
#include "link/HeaderEcho.h"
#include "link/ReplyCollector.h"
#include "link/StragglerGuard.h"

namespace velmora::link {

class TransactionEngine {
public:
    TransactionEngine(LinkState& state, LineOut& line, Clock& clock, EventPump& pump);

    void setProtocolLog(ProtocolLog* log) { log_ = log; }
    void setStatusPanel(StatusPanel* status) { status_ = status; }
    // Node address that an initMod frame carries: the selected module's. Unset, the
    // frame carries the call's own address.
    void setInitNodeSource(std::function<uint8_t()> source) { initNode_ = std::move(source); }
    // Called each time the link becomes idle: the last wait, exchange or hold is over.
    void setFreeNotice(std::function<void()> notice) { freeNotice_ = std::move(notice); }

    // Returns 0, an error-reply byte, or one of the ResultCode values. Refuses with
    // kResultLinkBusy, sending nothing and leaving the status panel alone, when it is
    // called from an event dispatched while the link is in use; kResultPortLost, also
    // leaving the panel alone, while the port is lost.
    uint16_t trans_Action(uint8_t cid, uint8_t kind, uint16_t address, uint16_t count,
                          uint8_t slave, uint8_t retries);

    // The port's receive event.
    void commAfterReceive(const uint8_t* data, size_t count);

    // Sends frame[0..length) as it stands and collects whatever arrives for `windowMs`.
    // The reply is left in RxBuf/RxCount (RxBuf zeroed first). Returns false, sending
    // nothing, when the link is in use. The port-lost mark is not consulted.
    bool rawExchange(const uint8_t* frame, size_t length, uint32_t windowMs);

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
    uint16_t exchange(uint8_t cid, uint8_t kind, uint16_t address, uint16_t count, uint8_t slave,
                      uint8_t retries);
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
    void copyReplyData(uint8_t kind, uint16_t count);
    void logFrame(const char* prefix, const uint8_t* data, size_t count, Rgb colour);
    void showStatus(const std::string& text);
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
    StatusPanel* status_ = nullptr;
    std::function<uint8_t()> initNode_;
    std::function<void()> freeNotice_;
    int holds_ = 0;
    int dispatchDepth_ = 0;
};

}  // namespace velmora::link
