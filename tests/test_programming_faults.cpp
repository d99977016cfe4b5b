// Programming under line faults: with replies dropped or corrupted now and then, every
// run either reports its failure or leaves the module holding exactly the image. A run
// that reports success with other memory would burn a wrong firmware unnoticed.

#include <gtest/gtest.h>

#include <random>

#include "firmware/ImageWriter.h"
#include "sim/SimConfig.h"
#include "tests/support/SimulatedLine.h"

using namespace velmora;
using namespace velmora::firmware;

namespace {

std::unique_ptr<FirmwareImages> randomImage(std::mt19937& rng, uint32_t bottom) {
    auto images = std::make_unique<FirmwareImages>();
    std::uniform_int_distribution<uint32_t> block(bottom / 64, 0xFFC0 / 64);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 6; ++i) {
        const uint32_t b = block(rng) * 64;
        for (uint32_t a = b; a < b + 64; ++a) images->FlashImage[a] = static_cast<uint8_t>(byte(rng));
    }
    std::uniform_int_distribution<uint32_t> cell(0, 0x3FF);
    for (int i = 0; i < 8; ++i) images->EepromImage[cell(rng)] = 0xFF00 | byte(rng);
    return images;
}

bool moduleHoldsImage(const sim::SimModule& m, const FirmwareImages& images, uint32_t bottom) {
    for (uint32_t b = bottom; b <= 0xFFC0; b += 64) {
        if (blockIsBlank(images, b)) continue;
        for (uint32_t a = b; a < b + 64; ++a)
            if (m.flash[a] != images.FlashImage[a]) return false;
    }
    for (uint32_t a = 0; a <= kEepromTop; ++a)
        if (FirmwareImages::given(images.EepromImage[a]) &&
            m.eeprom[a] != (images.EepromImage[a] & 0xFF))
            return false;
    return true;
}

}  // namespace

TEST(ProgrammingUnderFaults, NeverASuccessWithWrongMemory) {
    std::mt19937 rng(20261208);
    int successes = 0, failures = 0;
    for (int run = 0; run < 200; ++run) {
        sim::ModuleNetwork network;
        std::string error;
        ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
        sim::FaultPlan faults;
        // A few percent of the replies lost or corrupted, at a different phase each run.
        faults.dropEvery = 20 + run % 13;
        faults.corruptEvery = 27 + run % 11;
        network.setFaults(faults);
        test::EngineRig rig{network};
        const bool i2c = run % 2 == 1;
        const uint32_t bottom = i2c ? 0x4000 : 0x2000;
        const auto images = randomImage(rng, bottom);
        ModuleLink link(rig.engine, {1, static_cast<uint8_t>(i2c ? 0x10 : 0),
                                     static_cast<uint8_t>(i2c ? 2 : 1), static_cast<uint16_t>(bottom)});
        const RunResult r =
            i2c ? writeImageI2c(link, *images, {}) : writeImageModbus(link, *images, {});
        sim::SimNode& node = *network.node(1);
        const sim::SimModule& m = i2c ? *node.subModule(0x10) : node.module();
        if (r.ok()) {
            ++successes;
            EXPECT_TRUE(moduleHoldsImage(m, *images, bottom)) << "run " << run;
        } else {
            ++failures;
            EXPECT_NE(r.outcome, RunOutcome::Success);
        }
        EXPECT_TRUE(rig.engine.isFree());
    }
    // Both ends are exercised: retries carry most runs through, some give up.
    EXPECT_GT(successes, 0);
    RecordProperty("successes", successes);
    RecordProperty("failures", failures);
}
