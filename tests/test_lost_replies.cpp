// A reply lost on the line while the Module page or a firmware run reads or writes Flash
// and EEPROM, at the node and at its i2c module 10. The request itself was carried out.
// An i2c module's data registers (0xF5 Flash, 0xA8 EEPROM) move its address on with every
// byte they give or take, also when the reply never arrives: a retry on the moved address
// would show the bytes that follow as those asked for, or write a byte into the next
// cell or row. Each case loses a reply and compares with what the module holds. Memory
// differs from byte to byte, so a byte one place off shows.

#include <gtest/gtest.h>

#include <memory>

#include "firmware/FlashEraser.h"
#include "firmware/ImageWriter.h"
#include "firmware/ModuleReader.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"
#include "views/MemoryReads.h"
#include "views/MemoryWrites.h"

using namespace velmora;
using velmora::test::EngineRig;

namespace {

// The command bytes on the wire.
constexpr uint8_t kRdFlash = 0x76, kWrFlash = 0x77, kRdEE = 0x74, kWrEE = 0x75, kRdI2C = 0x7A,
                  kWrI2C = 0x7B;

enum class Op {
    EepromPage,      // the EEPROM tab's page 0x100
    FlashPage,       // the Flash tab's page 0x4200
    EepromCell,      // the EEPROM tab's edit of 0x120
    EepromCellDead,  // the same edit with every data reply lost: fails, writes no other cell
    ProgramEeprom,   // programming EEPROM 0x100..0x103
    ProgramFlash,    // programming Flash 0x4040..0x407F
    Backup,
    Verify,  // of a good write
    Erase,   // 0x4010..0x402F, the rest of its block kept
};

// The request whose reply is lost: the nth (0: every one) of `command`, at an i2c
// module to register `reg`.
struct Lost {
    uint8_t command = 0;  // 0: the case is not one at this level
    int reg = -1;
    unsigned nth = 0;
};

struct Case {
    const char* what;
    Op op;
    Lost atNode, atModule;
};

// Node 01 and its module 10, Flash from 0x4000 and all EEPROM patterned.
struct Line {
    Line() {
        std::string error;
        EXPECT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        for (sim::SimModule* m : {&network.node(1)->module(), network.node(1)->subModule(0x10)}) {
            for (uint32_t a = 0x4000; a < m->flash.size(); ++a)
                m->flash[a] = static_cast<uint8_t>(a * 7 + 3);
            for (uint32_t a = 0; a < m->eeprom.size(); ++a)
                m->eeprom[a] = static_cast<uint8_t>(a * 5 + 1);
        }
    }
    sim::SimModule& memory(uint8_t level) {
        return level == 2 ? *network.node(1)->subModule(0x10) : network.node(1)->module();
    }
    sim::ModuleNetwork network;
};

firmware::FirmwareTarget targetAt(uint8_t level) {
    return {1, static_cast<uint8_t>(level == 2 ? 0x10 : 0), level, 0x4000};
}

firmware::RunResult write(EngineRig& rig, uint8_t level, const firmware::FirmwareImages& images) {
    firmware::ModuleLink link(rig.engine, targetAt(level));
    return level == 2 ? writeImageI2c(link, images, {}) : writeImageModbus(link, images, {});
}

void runCase(const Case& c, uint8_t level, const Lost& lost) {
    Line line;
    sim::SimModule& m = line.memory(level);
    auto images = std::make_unique<firmware::FirmwareImages>();
    const uint8_t values[] = {0x11, 0x22, 0x33, 0x44};
    if (c.op == Op::ProgramEeprom || c.op == Op::Verify)
        for (uint32_t i = 0; i < 4; ++i) images->EepromImage[0x100 + i] = 0xFF00 | values[i];
    if (c.op == Op::ProgramFlash || c.op == Op::Verify)
        for (uint32_t a = 0x4040; a < 0x4080; ++a)
            images->FlashImage[a] = static_cast<uint8_t>(a ^ 0xA5);
    if (c.op == Op::Verify) {
        EngineRig clean{line.network};
        ASSERT_TRUE(write(clean, level, *images).ok());
    }

    EngineRig rig{line.network};
    rig.line.delivery().loseReplyTo = [lost, seen = 0u](const std::vector<uint8_t>& req) mutable {
        const bool match = req[1] == lost.command && (lost.reg < 0 || req[3] == lost.reg);
        return match && (lost.nth == 0 || ++seen == lost.nth);
    };
    const access::ModuleAddress view{1, static_cast<uint8_t>(level == 2 ? 0x10 : 0), level};
    const uint8_t before[] = {m.eeprom[0x121], m.eeprom[0x104], m.flash[0x4080]};
    firmware::ModuleLink link(rig.engine, targetAt(level));
    switch (c.op) {
        case Op::EepromPage:
        case Op::FlashPage: {
            const bool ee = c.op == Op::EepromPage;
            const uint16_t base = ee ? 0x100 : 0x4200;
            const views::PageRead page = ee ? views::readEEPage(rig.engine, view, base)
                                            : views::readFlashPage(rig.engine, view, base);
            ASSERT_TRUE(page.complete());
            for (uint32_t i = 0; i < 256; ++i)
                ASSERT_EQ(page.bytes[i], ee ? m.eeprom[base + i] : m.flash[base + i]) << i;
            break;
        }
        case Op::EepromCell:
        case Op::EepromCellDead: {
            const bool dead = c.op == Op::EepromCellDead;
            EXPECT_EQ(views::writeEECell(rig.engine, view, 0x120, 0x5A),
                      dead ? views::WriteOutcome::Failed : views::WriteOutcome::Written);
            if (!dead) EXPECT_EQ(m.eeprom[0x120], 0x5A);
            EXPECT_EQ(m.eeprom[0x121], before[0]);  // three tries, all at 0x120
            break;
        }
        case Op::ProgramEeprom:
            ASSERT_TRUE(write(rig, level, *images).ok());
            for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(m.eeprom[0x100 + i], values[i]) << i;
            EXPECT_EQ(m.eeprom[0x104], before[1]);  // follows the run, not in the image
            break;
        case Op::ProgramFlash:
            ASSERT_TRUE(write(rig, level, *images).ok());
            for (uint32_t a = 0x4040; a < 0x4080; ++a)
                ASSERT_EQ(m.flash[a], images->FlashImage[a]) << a;
            EXPECT_EQ(m.flash[0x4080], before[2]);
            break;
        case Op::Backup: {
            auto saved = std::make_unique<firmware::FirmwareImages>();
            ASSERT_TRUE(backupModule(link, *saved, {}).ok());
            for (uint32_t a = 0x4000; a <= 0xFFFF; ++a)
                ASSERT_EQ(saved->FlashImage[a], m.flash[a]) << a;
            for (uint32_t a = 0; a <= firmware::kEepromTop; ++a)
                ASSERT_EQ(saved->EepromImage[a] & 0xFF, m.eeprom[a]) << a;
            break;
        }
        case Op::Verify: {
            const firmware::RunResult v = verifyImages(link, *images, {});
            EXPECT_TRUE(v.ok()) << "outcome " << int(v.outcome) << " at " << v.address;
            break;
        }
        case Op::Erase:
            ASSERT_TRUE(eraseFlash(link, {0x4010, 0x402F}, {}).ok());
            for (uint32_t a = 0x4000; a < 0x4080; ++a) {
                const bool erased = a >= 0x4010 && a <= 0x402F;
                EXPECT_EQ(m.flash[a], erased ? 0xFF : static_cast<uint8_t>(a * 7 + 3)) << a;
            }
            break;
    }
}

}  // namespace

TEST(LostReplies, TheBytesReadAndWrittenAreTheOnesAskedFor) {
    const Case cases[] = {
        {"EEPROM page, first half", Op::EepromPage, {kRdEE, -1, 1}, {kRdI2C, 0xA8, 1}},
        {"EEPROM page, second half", Op::EepromPage, {kRdEE, -1, 2}, {kRdI2C, 0xA8, 2}},
        {"Flash page, first half", Op::FlashPage, {kRdFlash, -1, 1}, {kRdI2C, 0xF5, 1}},
        {"Flash page, second half", Op::FlashPage, {kRdFlash, -1, 2}, {kRdI2C, 0xF5, 2}},
        {"EEPROM cell", Op::EepromCell, {kWrEE, -1, 1}, {kWrI2C, 0xA8, 1}},
        {"EEPROM cell never answered", Op::EepromCellDead, {kWrEE, -1, 0}, {kWrI2C, 0xA8, 0}},
        // At the node the run's first EEPROM write is the one at 0x0FA that starts it.
        {"programmed EEPROM, first byte", Op::ProgramEeprom, {kWrEE, -1, 2}, {kWrI2C, 0xA8, 1}},
        {"programmed EEPROM, a middle byte", Op::ProgramEeprom, {kWrEE, -1, 3}, {kWrI2C, 0xA8, 2}},
        {"programmed EEPROM, last byte", Op::ProgramEeprom, {kWrEE, -1, 5}, {kWrI2C, 0xA8, 4}},
        // A node takes the block whole; an i2c module a row at a time.
        {"programmed Flash, first row", Op::ProgramFlash, {kWrFlash, -1, 1}, {kWrI2C, 0xF5, 1}},
        {"programmed Flash, a middle row", Op::ProgramFlash, {}, {kWrI2C, 0xF5, 5}},
        {"programmed Flash, last row", Op::ProgramFlash, {}, {kWrI2C, 0xF5, 8}},
        {"backup, first Flash block", Op::Backup, {kRdFlash, -1, 1}, {kRdI2C, 0xF5, 1}},
        {"backup, a later Flash block", Op::Backup, {kRdFlash, -1, 9}, {kRdI2C, 0xF5, 9}},
        {"backup, first EEPROM chunk", Op::Backup, {kRdEE, -1, 1}, {kRdI2C, 0xA8, 1}},
        {"backup, last EEPROM chunk", Op::Backup, {kRdEE, -1, 8}, {kRdI2C, 0xA8, 8}},
        {"verify, Flash", Op::Verify, {kRdFlash, -1, 1}, {kRdI2C, 0xF5, 1}},
        // The third 128-byte chunk holds the image's EEPROM bytes.
        {"verify, EEPROM", Op::Verify, {kRdEE, -1, 3}, {kRdI2C, 0xA8, 3}},
        {"erase, the kept bytes' read", Op::Erase, {kRdFlash, -1, 1}, {kRdI2C, 0xF5, 1}},
    };
    for (const Case& c : cases) {
        for (uint8_t level : {1, 2}) {
            const Lost& lost = level == 2 ? c.atModule : c.atNode;
            if (lost.command == 0) continue;
            SCOPED_TRACE(std::string(c.what) +
                         (level == 2 ? " at the i2c module" : " at the node"));
            runCase(c, level, lost);
        }
    }
}
