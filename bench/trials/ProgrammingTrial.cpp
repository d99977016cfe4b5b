#include "bench/trials/ProgrammingTrial.h"

#include <vector>

#include "firmware/ImageWriter.h"
#include "firmware/ProgramRun.h"
#include "sim/SimConfig.h"
#include "sim/SimulatedLine.h"

namespace velmora::sim {

using firmware::FirmwareImages;

namespace {

constexpr uint32_t kBlock = 64;
constexpr uint32_t kLastBlock = 0xFFC0;
// writeImageModbus clears these two cells first: the node's monitor reads them at start.
constexpr uint32_t kStartFlag = 0xFA;

struct Memory {
    std::vector<uint8_t> flash;
    std::vector<uint8_t> eeprom;
};

Memory snapshot(const SimModule& m) {
    return {m.flash, std::vector<uint8_t>(m.eeprom.begin(), m.eeprom.end())};
}

bool restKept(const SimModule& m, const Memory& before, const FirmwareImages& images,
              uint32_t firstBlock, uint8_t level) {
    for (uint32_t b = 0; b <= kLastBlock; b += kBlock) {
        if (b >= firstBlock && !firmware::blockIsBlank(images, b)) continue;
        for (uint32_t a = b; a < b + kBlock; ++a)
            if (m.flash[a] != before.flash[a]) return false;
    }
    for (uint32_t a = 0; a <= firmware::kEepromTop; ++a) {
        if (FirmwareImages::given(images.EepromImage[a])) continue;
        if (level == 1 && (a == kStartFlag || a == kStartFlag + 1)) continue;
        if (m.eeprom[a] != before.eeprom[a]) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<FirmwareImages> randomImage(std::mt19937& rng, uint32_t bottom,
                                            const ImageShape& shape) {
    auto images = std::make_unique<FirmwareImages>();
    std::uniform_int_distribution<uint32_t> block(bottom / kBlock, kLastBlock / kBlock);
    std::uniform_int_distribution<int> byte(0, 255);
    for (unsigned i = 0; i < shape.flashBlocks; ++i) {
        const uint32_t b = block(rng) * kBlock;
        for (uint32_t a = b; a < b + kBlock; ++a)
            images->FlashImage[a] = static_cast<uint8_t>(byte(rng));
    }
    if (shape.eepromRunLength == 0) return images;
    std::uniform_int_distribution<uint32_t> start(0, firmware::kEepromTop + 1 - shape.eepromRunLength);
    for (unsigned i = 0; i < shape.eepromRuns; ++i) {
        const uint32_t first = start(rng);
        for (uint32_t a = first; a < first + shape.eepromRunLength; ++a)
            images->EepromImage[a] = static_cast<uint16_t>(0xFF00 | byte(rng));
    }
    return images;
}

bool moduleHoldsImage(const SimModule& m, const FirmwareImages& images, uint32_t firstBlock) {
    for (uint32_t b = firstBlock; b <= kLastBlock; b += kBlock) {
        if (firmware::blockIsBlank(images, b)) continue;
        for (uint32_t a = b; a < b + kBlock; ++a)
            if (m.flash[a] != images.FlashImage[a]) return false;
    }
    for (uint32_t a = 0; a <= firmware::kEepromTop; ++a)
        if (FirmwareImages::given(images.EepromImage[a]) &&
            m.eeprom[a] != (images.EepromImage[a] & 0xFF))
            return false;
    return true;
}

TrialResult runProgrammingTrial(const FirmwareImages& images, uint8_t level, bool verify,
                                const FaultPlan& faults) {
    ModuleNetwork network;
    std::string error;
    loadConfig(defaultConfig(), network, error);
    network.setFaults(faults);
    EngineRig rig{network};
    rig.log.on = false;
    const bool i2c = level == 2;
    const uint32_t bottom = kTrialBottom[i2c ? 2 : 1];
    SimNode& node = *network.node(1);
    const SimModule& m = i2c ? *node.subModule(0x10) : node.module();
    const Memory before = snapshot(m);
    const uint64_t start = rig.line.clock().now;

    firmware::ModuleLink link(rig.engine, {1, static_cast<uint8_t>(i2c ? 0x10 : 0), level,
                                           static_cast<uint16_t>(bottom)});
    TrialResult t;
    t.run = firmware::programModule(link, images, verify, {}, {});
    const uint32_t first = firmware::firstWritableBlock(link.target());
    t.holdsImage = moduleHoldsImage(m, images, first);
    if (!t.run.ok())
        t.verdict = TrialVerdict::ReportedFailure;
    else
        t.verdict = t.holdsImage ? TrialVerdict::Success : TrialVerdict::FalseSuccess;
    t.restKept = restKept(m, before, images, first, level);
    t.engineFree = rig.engine.isFree();
    t.faults = network.faultCounts();
    t.lineMs = rig.line.clock().now - start;
    return t;
}

}  // namespace velmora::sim
