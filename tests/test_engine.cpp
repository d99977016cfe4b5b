// The transaction engine against the simulated network on a fake clock.

#include <gtest/gtest.h>

#include "link/Crc16.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/StatusReport.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::link;
using velmora::test::bytesOf;
using velmora::test::EngineRig;
using velmora::test::hexOf;

namespace {

class Engine : public ::testing::Test {
protected:
    Engine() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    }
    std::string replyDataHex(size_t n) {
        return hexOf({readData.begin(), readData.begin() + static_cast<long>(n)});
    }
    // A correct reply frame for a read of `data` at node 1 (header bytes as the sim sends).
    static std::vector<uint8_t> readReply(std::vector<uint8_t> head, std::vector<uint8_t> data) {
        head.insert(head.end(), data.begin(), data.end());
        head.resize(head.size() + 2);
        appendCrc(head.data(), head.size() - 2);
        return head;
    }

    sim::ModuleNetwork network;
    EngineRig rig{network};
    std::array<uint8_t, 256> writeData{};
    std::array<uint8_t, 256> readData{};
};

}  // namespace

TEST_F(Engine, EveryKindAgainstANodeAndASubModule) {
    auto& s = rig.state;
    auto& e = rig.engine;
    // RAM, SFR, EEPROM, Flash of node 1
    writeData[0] = 0xA1;
    writeData[1] = 0xB2;
    EXPECT_EQ(e.transact({1, wrRAM, 0x123, 2, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(e.transact({1, rdRAM, 0x123, 2, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(replyDataHex(2), "A1 B2");
    writeData[0] = 0x5C;
    EXPECT_EQ(e.transact({1, wrSFR, 0xF8A, 1, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(e.transact({1, rdSFR, 0x00A, 1, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(replyDataHex(1), "5C");
    writeData[0] = 0x42;
    EXPECT_EQ(e.transact({1, wrEE, 0x3FF, 1, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(e.transact({1, rdEE, 0x3FF, 1, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(replyDataHex(1), "42");
    for (int i = 0; i < 64; ++i) writeData[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(e.transact({1, wrFlash, 0x3000, 64, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(e.transact({1, rdFlash, 0x303E, 3, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(replyDataHex(3), "3E 3F FF");
    // identifier: 252 bytes then the CRC
    EXPECT_EQ(e.transact({1, rdID, 0, 0, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(readData[0], 0xCF);  // "П" in Windows-1251
    // the i2c window of sub-module 10: REG_PAGE 3 shows RAM 0x180..0x1FF at 0x80..0xFF
    writeData[0] = 3;
    EXPECT_EQ(e.transact({1, wrI2C, 0x51, 1, 0x10, 3}, writeData, readData).code, 0);
    writeData[0] = 0x77;
    EXPECT_EQ(e.transact({1, wrI2C, 0xA3, 1, 0x10, 3}, writeData, readData).code, 0);
    EXPECT_EQ(network.node(1)->subModule(0x10)->ram[0x1A3], 0x77);
    EXPECT_EQ(e.transact({1, rdI2C, 0xA3, 1, 0x10, 3}, writeData, readData).code, 0);
    EXPECT_EQ(replyDataHex(1), "77");
    // initialisation expects no reply
    EXPECT_EQ(e.transact({1, initMod, 0, 0, 0, 1}, writeData, readData).code, 0);
    EXPECT_EQ(network.node(1)->module().initCount, 1);
    EXPECT_EQ(rig.status.last(), "");
}

TEST_F(Engine, ReplySplitIntoSingleBytesCompletes) {
    rig.line.delivery().chunkSize = 1;
    rig.line.delivery().chunkGapMs = 1;
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 128, 0, 1}, writeData, readData).code, 0);
    EXPECT_EQ(rig.state.RxCount, 135);
    EXPECT_EQ(rig.log.lines.size(), 2u);
}

TEST_F(Engine, ReplySplitAtEveryPositionCompletes) {
    auto reply = readReply(bytesOf("01 70 00 50 04"), bytesOf("00 00 00 01"));
    for (size_t cut = 1; cut < reply.size(); ++cut) {
        rig.line.delivery().answerFrom = 1000;  // the network stays quiet; we answer
        uint64_t t0 = rig.line.clock().now;
        rig.line.inject(t0 + 3, {reply.begin(), reply.begin() + static_cast<long>(cut)});
        rig.line.inject(t0 + 19, {reply.begin() + static_cast<long>(cut), reply.end()});
        EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code, 0)
            << "cut at " << cut;
        EXPECT_EQ(replyDataHex(4), "00 00 00 01");
    }
}

TEST_F(Engine, LimitCountsFromTheEndOfTheWireTime) {
    // 115200: 200 ms after 7 + 11 bytes (2 ms on the wire)
    rig.line.delivery().answerFrom = 1000;
    auto reply = readReply(bytesOf("01 70 00 50 04"), bytesOf("00 00 00 01"));
    uint64_t t0 = rig.line.clock().now;
    rig.line.inject(t0 + 202, reply);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code, 0);
    t0 = rig.line.clock().now;
    rig.line.inject(t0 + 203, reply);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
}

TEST_F(Engine, SlowSpeedsWaitForTheFramesOnTheWire) {
    // At 1200 baud a 128-byte read takes 1.18 s on the wire, twice the 600 ms limit.
    rig.line.setBaud(1200);
    rig.line.delivery().latencyMs = 1183;
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0, 128, 0, 1}, writeData, readData).code, 0);
    rig.line.setBaud(2400);
    rig.line.delivery().latencyMs = 592 + 590;
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0, 128, 0, 1}, writeData, readData).code, 0);
}

TEST_F(Engine, SpeedLimitsTable) {
    rig.line.delivery().answerFrom = 1000;
    const std::pair<uint32_t, uint32_t> limits[] = {{115200, 200}, {57600, 200}, {19200, 300},
                                                    {9600, 600},   {2400, 600},  {1200, 600}};
    uint8_t cid = 1;
    for (auto [baud, limit] : limits) {
        rig.line.setBaud(baud);
        uint64_t t0 = rig.line.clock().now;
        // Each speed asks another node: a node that has just timed out is first let fall
        // quiet before it is asked again.
        EXPECT_EQ(rig.engine.transact({cid++, rdRAM, 0, 1, 0, 1}, writeData, readData).code,
                  kResultNoReply);
        uint64_t wire = (8 + 7) * 10 * 1000 / baud + (((8 + 7) * 10 * 1000) % baud ? 1 : 0);
        EXPECT_EQ(rig.line.clock().now - t0, wire + limit + 1) << baud;
    }
}

TEST_F(Engine, CompleteAndLateInOnePassIsATimeOut) {
    rig.line.delivery().answerFrom = 1000;
    auto reply = readReply(bytesOf("01 70 00 50 04"), bytesOf("00 00 00 01"));
    uint64_t t0 = rig.line.clock().now;
    // Deadline is t0 + 2 + 200; the wake-up at deadline + 1 finds the whole reply.
    rig.line.inject(t0 + 203, reply);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
    EXPECT_EQ(rig.status.last(), "Контроллер не ответил");
}

TEST_F(Engine, OverLongReplyNeverCompletes) {
    sim::FaultPlan stray;
    stray.strayBytes = 1;
    network.setFaults(stray);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 2}, writeData, readData).code,
              kResultNoReply);
    EXPECT_EQ(rig.line.sent().size(), 2u);
    EXPECT_EQ(rig.state.RxCount, 12);
}

TEST_F(Engine, ErrorReplyIsTheResult) {
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0xFFF, 2, 0, 3}, writeData, readData).code, 0x87);
    EXPECT_EQ(rig.status.last(), "Запись в несуществующий адрес");
    EXPECT_EQ(rig.line.sent().size(), 3u);  // an error reply is retried like any failure
}

TEST_F(Engine, ErrorReplyFollowedByBytesTimesOut) {
    rig.line.delivery().answerFrom = 1000;
    auto err = bytesOf("01 8C 00 44 C0");
    err.push_back(0x00);
    rig.line.inject(rig.line.clock().now + 3, err);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
}

TEST_F(Engine, ErrorReplyEndsTheWaitAsSoonAsItsFifthByteArrives) {
    rig.line.delivery().answerFrom = 1000;
    rig.line.inject(rig.line.clock().now + 3, bytesOf("01 8C 00 44 C0"));
    EXPECT_EQ(rig.engine.transact({1, wrRAM, 0x50, 1, 0, 1}, writeData, readData).code, 0x8C);
    EXPECT_EQ(rig.status.last(), "Ошибка приема терминатора 0x55,0xAA");
}

// A corrupted error reply must not pass for any result, least of all for the link's own
// codes (port lost, link in use): it is a CRC failure like any other.
TEST_F(Engine, ErrorReplyWithABadCrcIsACrcFailure) {
    struct Case {
        const char* reply;
        uint16_t result;
    };
    const Case cases[] = {
        {"01 FE 00 60 60", 0xFE},  // good CRC: the module's own (unknown) code
        {"01 FE 00 00 00", kResultBadCrc},
        {"01 FD 00 00 00", kResultBadCrc},
        {"01 87 00 43 F0", 0x87},
        {"01 87 00 43 F1", kResultBadCrc},
        {"01 87 00 F0 43", kResultBadCrc},  // CRC bytes swapped
    };
    for (const Case& c : cases) {
        EngineRig r{network};
        r.line.delivery().answerFrom = 1000;
        r.line.inject(r.line.clock().now + 3, bytesOf(c.reply));
        EXPECT_EQ(r.engine.transact({1, wrRAM, 0x50, 1, 0, 1}, writeData, readData).code, c.result)
            << c.reply;
        EXPECT_TRUE(r.engine.isFree());
    }
}

TEST_F(Engine, CrcFailureIs29) {
    sim::FaultPlan corrupt;
    corrupt.corruptEvery = 1;
    network.setFaults(corrupt);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 3}, writeData, readData).code,
              kResultBadCrc);
    EXPECT_EQ(rig.line.sent().size(), 3u);
    EXPECT_EQ(rig.status.last(), "Ошибка CRC16 в ответе контроллера");
}

TEST_F(Engine, RetriesWithALateAnswer) {
    rig.line.delivery().answerFrom = 3;
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 3}, writeData, readData).code, 0);
    ASSERT_EQ(rig.log.lines.size(), 4u);
    EXPECT_EQ(rig.log.lines[0].text, "Send>01 70 00 50 04 3E C3 ");
    EXPECT_EQ(rig.log.lines[1].text, rig.log.lines[0].text);
    EXPECT_EQ(rig.log.lines[2].text, rig.log.lines[0].text);
    EXPECT_EQ(rig.log.lines[3].text, "<Res 01 70 00 50 04 00 00 00 01 3C 14 ");
    EXPECT_EQ(rig.log.lines[0].colour.g, 128);
    EXPECT_EQ(rig.log.lines[3].colour.b, 255);
}

TEST_F(Engine, BroadcastReturnsAfterOneLimit) {
    EXPECT_EQ(rig.engine.transact({0, wrRAM, 0x60, 1, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(rig.line.sent().size(), 1u);
    EXPECT_EQ(rig.status.last(), "");
}

TEST_F(Engine, InitWithoutReplyIsSuccessAndOneByteReplyIsACrcFailure) {
    EXPECT_EQ(rig.engine.transact({1, initMod, 0, 0, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(rig.line.sent().size(), 1u);
    rig.line.delivery().answerFrom = 1000;
    rig.line.inject(rig.line.clock().now + 3, {0x01});
    EXPECT_EQ(rig.engine.transact({1, initMod, 0, 0, 0, 1}, writeData, readData).code,
              kResultBadCrc);
}

TEST_F(Engine, InitCarriesTheSelectedNode) {
    rig.engine.setInitNodeSource([] { return uint8_t{3}; });
    EXPECT_EQ(rig.engine.transact({1, initMod, 0, 0, 0, 1}, writeData, readData).code, 0);
    EXPECT_EQ(hexOf(rig.line.sent().back()), "03 79 55 AA 6E 96");
    EXPECT_EQ(network.node(3)->module().initCount, 1);
}

TEST_F(Engine, ZeroRetriesSendsNothing) {
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 0}, writeData, readData).code, 0);
    EXPECT_TRUE(rig.line.sent().empty());
}

TEST_F(Engine, PortLostFailsAtOnceAndLeavesThePortsMessageStanding) {
    rig.state.PortLost = true;
    rig.status.history.clear();
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 3}, writeData, readData).code,
              kResultPortLost);
    EXPECT_TRUE(rig.line.sent().empty());
    EXPECT_TRUE(rig.log.lines.empty());
    EXPECT_TRUE(rig.status.history.empty());
}

TEST_F(Engine, UnknownKindIsFive) {
    EXPECT_EQ(rig.engine.transact({1, 12, 0x50, 4, 0, 3}, writeData, readData).code,
              kResultUnknownKind);
    EXPECT_TRUE(rig.line.sent().empty());
    EXPECT_EQ(rig.status.last(), "Номер бито > 7");
}

TEST_F(Engine, ClosedPortTimesOut) {
    rig.line.setOpen(false);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 2}, writeData, readData).code,
              kResultNoReply);
}

TEST_F(Engine, BytesPastRxBufAreCountedNotStored) {
    rig.line.delivery().answerFrom = 1000;
    std::vector<uint8_t> flood(300, 0x33);
    flood[0] = 0x01;
    flood[1] = 0x78;
    rig.line.inject(rig.line.clock().now + 3, flood);
    EXPECT_EQ(rig.engine.transact({1, rdID, 0, 0, 0, 1}, writeData, readData).code, kResultNoReply);
    EXPECT_EQ(rig.state.RxCount, 300);
}

TEST_F(Engine, ReadAbove249IsAskedOfTheModule) {
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0, 250, 0, 1}, writeData, readData).code, 0x84);
    EXPECT_EQ(rig.status.last(), "Чтение > 249 байт ");
}

TEST_F(Engine, WriteBeyondTheFrameIsRefused) {
    EXPECT_EQ(rig.engine.transact({1, wrRAM, 0, 250, 0, 3}, writeData, readData).code,
              kResultFrameTooLong);
    EXPECT_TRUE(rig.line.sent().empty());
}

TEST_F(Engine, StatusClearedAtEachAttemptThenFinalText) {
    rig.line.delivery().answerFrom = 2;
    rig.status.history.clear();
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(rig.status.history, (std::vector<std::string>{"", "", ""}));
}

TEST_F(Engine, NestedTransactionFromAWaitIsRefused) {
    uint16_t nested = 0xFFFF;
    rig.line.at(rig.line.clock().now + 1, [&] {
        nested = rig.engine.transact({1, rdRAM, 0, 1, 0, 3}, writeData, readData).code;
    });
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 3}, writeData, readData).code, 0);
    EXPECT_EQ(nested, kResultLinkBusy);
    EXPECT_EQ(rig.line.sent().size(), 1u);
    EXPECT_EQ(replyDataHex(4), "00 00 00 01");
}

TEST_F(Engine, HoldKeepsTimerTicksOutOfAMultiStepOperation) {
    uint16_t tick = 0xFFFF;
    {
        auto hold = rig.engine.hold();
        EXPECT_FALSE(rig.engine.isFree());
        rig.line.at(rig.line.clock().now + 5, [&] {
            tick = rig.engine.transact({1, rdRAM, 0, 1, 0, 1}, writeData, readData).code;
        });
        rig.engine.pause(10);
        EXPECT_EQ(tick, kResultLinkBusy);
        // the holder itself goes on
        EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code, 0);
    }
    EXPECT_TRUE(rig.engine.isFree());
    rig.line.at(rig.line.clock().now + 5, [&] {
        tick = rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code;
    });
    rig.engine.pause(500);
    EXPECT_EQ(tick, 0);
}

TEST_F(Engine, RawExchangeCollectsForItsWindow) {
    auto frame = bytesOf("01 78 00 02");
    rig.line.delivery().chunkSize = 100;
    rig.line.delivery().chunkGapMs = 300;
    uint64_t t0 = rig.line.clock().now;
    const RawReply got = rig.engine.rawExchange(frame, readData, 700);
    ASSERT_TRUE(got.sent);
    EXPECT_EQ(rig.line.clock().now - t0, 700u);
    EXPECT_EQ(got.came, 256u);
    EXPECT_EQ(got.kept, 256u);
    EXPECT_FALSE(rig.state.LinkBusy);
    EXPECT_TRUE(frameCrcOk(readData.data(), 256));
}

TEST_F(Engine, RawExchangeRefusedWhileATransactionWaits) {
    bool accepted = true;
    rig.line.at(rig.line.clock().now + 1, [&] {
        auto f = bytesOf("01 78 00 02");
        accepted = rig.engine.rawExchange(f, readData, 700).sent;
    });
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code, 0);
    EXPECT_FALSE(accepted);
}

TEST_F(Engine, ReceiveOutsideATransactionIsDropped) {
    auto bytes = bytesOf("01 02 03");
    rig.engine.commAfterReceive(bytes.data(), bytes.size());
    EXPECT_EQ(rig.state.RxCount, 0);
}

TEST_F(Engine, NoLogLinesWhileLoggingIsOff) {
    rig.log.on = false;
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code, 0);
    EXPECT_TRUE(rig.log.lines.empty());
}

TEST_F(Engine, NoReplyLineWhenNothingArrived) {
    rig.line.delivery().answerFrom = 1000;
    EXPECT_EQ(rig.engine.transact({5, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
    ASSERT_EQ(rig.log.lines.size(), 1u);
    EXPECT_EQ(rig.log.lines[0].text.substr(0, 5), "Send>");
}

TEST_F(Engine, TimeOutWinsOverACrcFailureInTheSamePass) {
    rig.line.delivery().answerFrom = 1000;
    auto reply = readReply(bytesOf("01 70 00 50 04"), bytesOf("00 00 00 01"));
    reply.back() ^= 0xFF;
    rig.line.inject(rig.line.clock().now + 203, reply);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
}

TEST_F(Engine, TimeOutWinsOverAnErrorReplyInTheSamePass) {
    rig.line.delivery().answerFrom = 1000;
    rig.line.inject(rig.line.clock().now + 203, bytesOf("01 87 00 00 00"));
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
}

TEST_F(Engine, ReadDataIsCopiedEvenWhenTheLastAttemptFailed) {
    // The data mean something only after success; a failed read still leaves what came.
    rig.line.delivery().answerFrom = 1000;
    auto reply = readReply(bytesOf("01 70 00 50 04"), bytesOf("11 22 33 44"));
    reply.back() ^= 0xFF;
    rig.line.inject(rig.line.clock().now + 3, reply);
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultBadCrc);
    EXPECT_EQ(replyDataHex(4), "11 22 33 44");
}

namespace {

class EngineLongReads : public Engine {};

// Counts from 0xFA on expect a reply longer than RxBuf. Whatever arrives, the reply can
// never be checked whole, so it is a CRC failure, never a success, and nothing is read
// past the buffer (the sanitizer build would stop here).
TEST_F(EngineLongReads, ReplyLongerThanRxBufIsACrcFailure) {
    for (uint16_t count : {0xFA, 0xFB, 0xFF, 0x100, 0x106}) {
        EngineRig r{network};
        r.line.delivery().answerFrom = 1000;
        std::vector<uint8_t> reply(count + 7u, 0x00);
        reply[0] = 0x01;
        reply[1] = 0x70;
        r.line.inject(r.line.clock().now + 3, reply);
        EXPECT_EQ(r.engine.transact({1, rdRAM, 0, count, 0, 1}, writeData, readData).code,
                  kResultBadCrc)
            << count;
        EXPECT_EQ(r.state.RxCount, count + 7u);
        EXPECT_TRUE(r.engine.isFree());
    }
}

}  // namespace

// Late and stray replies: nothing but the answer to this request is taken for it.
TEST_F(Engine, InputWaitingBeforeTheRequestIsNotItsAnswer) {
    rig.line.delivery().answerFrom = 1000;
    // A complete, correct reply to the very same request, already in the port's buffer.
    rig.line.inject(rig.line.clock().now, bytesOf("01 70 00 50 04 00 00 00 01 3C 14"));
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
}

TEST_F(Engine, AnotherNodesLateReplyIsLoggedAndDropped) {
    rig.line.delivery().answerFrom = 1000;
    // Node 2 answers an earlier probe while node 1 is asked.
    rig.line.inject(rig.line.clock().now + 3, bytesOf("02 70 00 50 04 00 00 00 01 28 E4"));
    EXPECT_EQ(rig.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
    ASSERT_EQ(rig.log.lines.size(), 2u);
    EXPECT_EQ(rig.log.lines[1].text, "<Res 02 70 00 50 04 00 00 00 01 28 E4 ");
}

TEST_F(Engine, TheAnswerIsFoundBehindAStrayReply) {
    rig.line.delivery().answerFrom = 1000;
    const auto stray = bytesOf("02 70 00 50 04 00 00 00 01 28 E4");
    const auto answer = bytesOf("01 70 00 50 04 00 00 00 01 3C 14");
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{22}}) {
        EngineRig r{network};
        r.line.delivery().answerFrom = 1000;
        std::vector<uint8_t> both = stray;
        both.insert(both.end(), answer.begin(), answer.end());
        uint64_t t = r.line.clock().now + 3;
        for (size_t i = 0; i < both.size(); i += chunk)
            r.line.inject(t++, std::vector<uint8_t>(both.begin() + static_cast<long>(i),
                                                    both.begin() + static_cast<long>(std::min(
                                                                       both.size(), i + chunk))));
        EXPECT_EQ(r.engine.transact({1, rdRAM, 0x50, 4, 0, 1}, writeData, readData).code, 0)
            << chunk;
        EXPECT_EQ(hexOf({readData.begin(), readData.begin() + 4}), "00 00 00 01");
        ASSERT_EQ(r.log.lines.size(), 3u);
        EXPECT_EQ(r.log.lines[1].text, "<Res 02 70 00 50 04 00 00 00 01 28 E4 ");
        EXPECT_EQ(r.log.lines[2].text, "<Res 01 70 00 50 04 00 00 00 01 3C 14 ");
    }
}

TEST_F(Engine, AReplyToAnotherCommandIsNotTaken) {
    rig.line.delivery().answerFrom = 1000;
    // Node 1's identifier reply start while an EEPROM read waits: not the answer.
    rig.line.inject(rig.line.clock().now + 3, bytesOf("01 70 00 50 04 00 00 00 01 3C 14"));
    EXPECT_EQ(rig.engine.transact({1, rdEE, 0x50, 4, 0, 1}, writeData, readData).code,
              kResultNoReply);
}

// The caller's bytes and room: a write sends exactly `count` bytes of its own, a read's
// data land in the room as far as it goes, and only a whole reply counts as received.
TEST_F(Engine, TheCallersBytesGoOutAndTheReplysDataComeBack) {
    struct Case {
        const char* name;
        Request request;
        size_t writeBytes, room;
        uint16_t code;
        size_t received;
        const char* sent;  // the frame on the wire, CRC included; empty: nothing sent
        const char* data;  // the room's first bytes afterwards
    };
    const Case cases[] = {
        {"write of its own bytes",
         {1, wrRAM, 0x123, 2, 0, 1},
         2,
         0,
         0,
         0,
         "01 71 01 23 02 A1 B2 6F 40",
         ""},
        {"write short of its count",
         {1, wrRAM, 0x123, 2, 0, 1},
         1,
         0,
         kResultFrameTooLong,
         0,
         "",
         ""},
        {"read into a room of two",
         {1, rdRAM, 0x123, 4, 0, 1},
         0,
         2,
         0,
         2,
         "01 70 01 23 04 4A 33",
         "A1 B2"},
        {"identifier without its CRC",
         {1, rdID, 0, 0, 0, 1},
         0,
         256,
         0,
         252,
         "01 78 00 02",
         "CF CB"},
        {"read that fails",
         {9, rdRAM, 0, 4, 0, 1},
         0,
         256,
         kResultNoReply,
         0,
         "09 70 00 00 04 E3 02",
         ""},
    };
    network.node(1)->module().ram[0x123] = 0xA1;
    network.node(1)->module().ram[0x124] = 0xB2;
    writeData = {0xA1, 0xB2};
    for (const Case& c : cases) {
        const size_t before = rig.line.sent().size();
        readData.fill(0);
        const Result r =
            rig.engine.transact(c.request, std::span<const uint8_t>(writeData).first(c.writeBytes),
                                std::span<uint8_t>(readData).first(c.room));
        EXPECT_EQ(r.code, c.code) << c.name;
        EXPECT_EQ(r.received, c.received) << c.name;
        EXPECT_EQ(rig.line.sent().size() > before ? hexOf(rig.line.sent()[before]) : "", c.sent)
            << c.name;
        const size_t shown = bytesOf(c.data).size();
        EXPECT_EQ(hexOf({readData.begin(), readData.begin() + static_cast<long>(shown)}), c.data)
            << c.name;
        if (c.room < readData.size())
            EXPECT_EQ(readData[c.room], 0) << c.name << ": written past the room";
    }
}

// Panel 2 once a transaction is over: blank on success, the result's text otherwise;
// the link's own refusals leave whatever the panel said.
TEST(StatusReport, TheResultsWordsOrNothing) {
    const std::pair<uint16_t, const char*> cases[] = {
        {kResultOk, ""},
        {kResultNoReply, "Контроллер не ответил"},
        {kResultBadCrc, "Ошибка CRC16 в ответе контроллера"},
        {0x8F, "Нет ASK от Slave устр-ва на i2c "},
        {kResultLinkBusy, "Comm порт отключен"},
        {kResultPortLost, "Comm порт отключен"},
    };
    for (const auto& [code, text] : cases) {
        velmora::test::RecordingStatus panel;
        panel.showStatus("Comm порт отключен");
        reportResult(panel, code);
        EXPECT_EQ(panel.last(), text) << code;
    }
}
