// One transaction (or one raw exchange) of the engine against a far end that sends
// whatever the fuzzer scripts, split and timed as it likes. Input:
//
//   kind % 13 (12: not a kind), node, address (2, low first), count low,
//   count high (bit 7 set: bits 0-6 are the high byte; clear: the count is below 0x100),
//   slave, options, then the reply chunks of fuzz/ChunkScript.h.
//
// options: bits 0-1 retries - 1 (3 counts as 2), bits 2-3 speed, bit 4 raw exchange
// instead of a transaction, bit 5 a second operation asked for during the wait (it must
// be refused), bit 6 protocol log on, bit 7 the operation runs under a hold.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>

#include "fuzz/ChunkScript.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/ScriptedLine.h"
#include "link/Crc16.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/TransactionEngine.h"

using namespace velmora;
using namespace velmora::link;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_engine_replies: %s\n", what);
    std::abort();
}

void require(bool ok, const char* what) {
    if (!ok) fault(what);
}

struct Case {
    uint8_t kind, cid;
    uint16_t address, count;
    uint8_t slave, retries;
    uint32_t baud;
    bool raw, nestedCall, logging, held;
};

Case readCase(fuzz::FuzzInput& in) {
    static constexpr uint32_t kSpeeds[] = {9600, 19200, 57600, 115200};
    Case c{};
    c.kind = in.byte() % (kKindCount + 1);
    c.cid = in.byte();
    c.address = in.word();
    const uint8_t low = in.byte();
    const uint8_t high = in.byte();
    c.count = static_cast<uint16_t>(low | ((high & 0x80) ? (high & 0x7F) << 8 : 0));
    c.slave = in.byte();
    const uint8_t options = in.byte();
    c.retries = static_cast<uint8_t>(1 + (options & 3) % 3);
    c.baud = kSpeeds[(options >> 2) & 3];
    c.raw = options & 0x10;
    c.nestedCall = options & 0x20;
    c.logging = options & 0x40;
    c.held = options & 0x80;
    return c;
}

struct QuietLog : ProtocolLog {
    bool on = false;
    bool exchangeLogging() const override { return on; }
    void appendLine(const std::string&, Rgb) override {}
};

// Reply length the request asks for, worked out from the protocol's frame layouts:
// node, command, three header bytes, the data, two CRC bytes.
size_t expectedReplyLength(const Case& c) {
    if (c.kind == rdID) return 256;
    if (c.kind == initMod) return 1;
    return isWriteKind(c.kind) ? 7 : c.count + 7u;
}

void checkTransaction(const Case& c, const Result& r, std::span<const uint8_t> reply,
                      const LinkState& s, size_t sent) {
    const uint16_t result = r.code;
    if (c.kind >= kKindCount) {
        require(result == kResultUnknownKind && sent == 0, "unknown kind not refused unsent");
        return;
    }
    if (isWriteKind(c.kind) && c.count + 7u > 256) {
        require(result == kResultFrameTooLong && sent == 0, "oversized write not refused unsent");
        return;
    }
    require(sent >= 1 && sent <= c.retries, "request count outside 1..retries");
    const bool expectsNoReply = c.kind == initMod || c.cid == 0;
    if (result == kResultBadCrc || result == kResultNoReply) return;
    if (result == kResultOk) {
        if (s.ReplyTimedOut) {
            require(expectsNoReply, "silence taken as success");
            return;
        }
        const size_t expected = expectedReplyLength(c);
        require(expected <= s.RxBuf.size(), "success with an expected reply longer than RxBuf");
        require(s.RxCount == expected, "success with a reply of another length");
        require(frameCrcOk(s.RxBuf.data(), expected), "success with a reply whose CRC is bad");
        // Nobody is meant to answer a broadcast or an initialisation, so any frame that
        // does come cannot be matched to the request.
        require(expectsNoReply || (s.RxBuf[0] == s.TxBuf[0] && s.RxBuf[1] == s.TxBuf[1]),
                "success with another node's or another command's reply");
        if (!isReadKind(c.kind)) return;
        // The data are what lies between the header and the CRC, all of them.
        const size_t offset = c.kind == rdID ? 2 : 5;
        require(r.received == expected - offset - 2, "success with a miscounted read");
        require(std::equal(reply.begin(), reply.begin() + static_cast<long>(r.received),
                           s.RxBuf.begin() + static_cast<long>(offset)),
                "read data other than the reply's");
        return;
    }
    // Anything else is a module's error reply, passed on: it must be one, CRC and all.
    require(s.RxCount == 5 && (s.RxBuf[1] & 0x80) && result == s.RxBuf[1],
            "result that is neither a code nor the error reply received");
    require(frameCrcOk(s.RxBuf.data(), 5), "error reply taken with a bad CRC");
    require(expectsNoReply || s.RxBuf[0] == s.TxBuf[0], "another node's error reply taken");
}

void checkRawExchange(const RawReply& r, std::span<const uint8_t> reply, const LinkState& s,
                      const std::vector<uint8_t>& delivered) {
    require(r.sent, "raw exchange refused on a free link");
    require(r.came == std::min<size_t>(delivered.size(), 0xFFFF), "raw exchange miscounted");
    const size_t stored = std::min(delivered.size(), s.RxBuf.size());
    for (size_t i = 0; i < s.RxBuf.size(); ++i)
        require(s.RxBuf[i] == (i < stored ? delivered[i] : 0), "raw exchange stored other bytes");
    require(
        r.kept == std::min(stored, reply.size()) &&
            std::equal(reply.begin(), reply.begin() + static_cast<long>(r.kept), delivered.begin()),
        "raw exchange handed back other bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput in(data, size);
    const Case c = readCase(in);
    fuzz::ScriptedLine line(fuzz::readChunkScript(in), c.baud);
    // On the heap, so that reading past the whole state is caught.
    auto state = std::make_unique<LinkState>();
    TransactionEngine engine(*state, line, line, line);
    line.connect(engine);
    QuietLog log;
    log.on = c.logging;
    engine.setProtocolLog(&log);
    std::array<uint8_t, 256> write{};
    for (size_t i = 0; i < write.size(); ++i) write[i] = static_cast<uint8_t>(i);
    // On the heap too, and one byte short of a frame, so that writing past it is caught.
    auto reply = std::make_unique<std::array<uint8_t, 255>>();

    if (c.nestedCall) {
        line.onFirstDelivery([&] {
            const size_t before = line.requestsSent();
            require(engine.transact({c.cid, rdRAM, 0, 1, 0, 1}, {}, *reply).code == kResultLinkBusy,
                    "transaction started during a wait");
            const uint8_t frame[1] = {0};
            require(!engine.rawExchange(frame, *reply, 10).sent,
                    "raw exchange started during a wait");
            require(line.requestsSent() == before, "refused operation sent bytes");
        });
    }

    std::optional<TransactionEngine::Hold> hold;
    if (c.held) hold.emplace(engine.hold());
    if (c.raw) {
        uint8_t frame[4] = {c.cid, 0x78};
        appendCrc(frame, 2);
        const RawReply r = engine.rawExchange(frame, *reply, c.address & 0x7FF);
        checkRawExchange(r, *reply, *state, line.takeDelivered());
    } else {
        const Result r =
            engine.transact({c.cid, c.kind, c.address, c.count, c.slave, c.retries}, write, *reply);
        checkTransaction(c, r, *reply, *state, line.requestsSent());
    }
    require(!state->LinkBusy, "LinkBusy left set");
    hold.reset();
    require(engine.isFree(), "link not free after the operation");
    return 0;
}
