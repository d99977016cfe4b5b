#include "bench/trials/ReadTrials.h"

#include <memory>

#include "common/HexText.h"
#include "firmware/FirmwareImages.h"
#include "firmware/FirmwareTarget.h"
#include "firmware/ModuleReader.h"
#include "sim/SimConfig.h"
#include "system/IdentReader.h"
#include "views/MemoryReads.h"

namespace velmora::sim {

namespace {

constexpr unsigned kRamPages = kRamSize / 0x100;
constexpr unsigned kEepromPages = kEepromSize / 0x100;

access::ModuleAddress viewTarget(uint8_t level) {
    return {kTrialNode, level == 2 ? kTrialSlave : uint8_t{0}, level};
}

}  // namespace

CommandTrial runDumpTrial(const TrialSetup& setup, DumpMemory memory) {
    TrialLine line(setup, defaultConfig());
    SimModule& m = line.filledTarget();
    const MemoryCopy before(m);
    const bool ram = memory == DumpMemory::Ram;
    const std::vector<uint8_t>& truth = ram ? before.ram : before.eeprom;
    const unsigned pages = ram ? kRamPages : kEepromPages;
    const access::ModuleAddress target = viewTarget(setup.level);

    CommandTrial t;
    t.reportedOk = true;
    bool right = true;
    unsigned wrongBytes = 0, wrongRegPage = 0;
    // As `dump` does: page after page, the first page not read whole ends it.
    for (unsigned p = 0; p < pages && t.reportedOk; ++p) {
        const auto base = static_cast<uint16_t>(p * 0x100);
        const views::PageRead page = ram ? views::readRAMPage(line.rig.engine, target, base)
                                         : views::readEEPage(line.rig.engine, target, base);
        if (!page.complete()) {
            t.reportedOk = false;
            break;
        }
        for (unsigned i = 0; i < 0x100; ++i) {
            const uint32_t a = base + i;
            if (page.bytes[i] == truth[a]) continue;
            right = false;
            ++wrongBytes;
            if (ram && setup.level == 2 && a == kRegPage) ++wrongRegPage;
            if (t.wrong.empty())
                t.wrong = differenceText(ram ? "RAM" : "EEPROM", a, page.bytes[i], truth[a]);
        }
    }
    t.onlyRegPage = !right && wrongBytes == wrongRegPage;
    t.changed = bytesChanged(before, m);
    line.finish(t, right);
    return t;
}

CommandTrial runBackupTrial(const TrialSetup& setup) {
    TrialLine line(setup, defaultConfig());
    SimModule& m = line.filledTarget();
    const MemoryCopy before(m);
    const uint32_t bottom = kTrialBottom[setup.level];
    firmware::ModuleLink link = line.moduleLink();
    auto images = std::make_unique<firmware::FirmwareImages>();
    const firmware::RunResult r = firmware::backupModule(link, *images, {});

    CommandTrial t;
    t.reportedOk = r.ok();
    bool right = true;
    if (t.reportedOk) {
        for (uint32_t a = bottom; a < kFlashSize && right; ++a)
            if (images->FlashImage[a] != before.flash[a]) {
                right = false;
                t.wrong = differenceText("Flash", a, images->FlashImage[a], before.flash[a]);
            }
        for (uint32_t a = 0; a < kEepromSize && right; ++a) {
            const uint16_t cell = images->EepromImage[a];
            if (firmware::FirmwareImages::given(cell) && (cell & 0xFF) == before.eeprom[a]) continue;
            right = false;
            t.wrong = firmware::FirmwareImages::given(cell)
                          ? differenceText("EEPROM", a, static_cast<uint8_t>(cell), before.eeprom[a])
                          : "EEPROM " + hexNumber(a, 4) + " left out";
        }
    }
    t.changed = bytesChanged(before, m);
    line.finish(t, right);
    return t;
}

CommandTrial runIdentTrial(const TrialSetup& setup) {
    TrialLine line(setup, defaultConfig());
    SimModule& m = line.target();
    // The identifier stays as the configuration gives it; around it, at the module, RAM
    // at random, so a window page read out of turn shows.
    if (setup.level == 2) {
        std::array<uint8_t, 256> id{};
        std::copy_n(m.ram.begin() + kI2cIdBase, id.size(), id.begin());
        fillMemory(m, line.rng, true);
        std::copy(id.begin(), id.end(), m.ram.begin() + kI2cIdBase);
    }
    const MemoryCopy before(m);
    system::IdentBuffer truth = system::erasedIdent();
    if (setup.level == 2)
        std::copy_n(before.ram.begin() + kI2cIdBase, truth.size(), truth.begin());
    else
        std::copy(m.id.begin(), m.id.end(), truth.begin());

    const system::IdentRead r =
        system::readIdent(line.rig.engine, nullptr,
                          {kTrialNode, setup.level == 2 ? kTrialSlave : uint8_t{0}, setup.level});
    CommandTrial t;
    t.reportedOk = r.ok;
    bool right = true;
    for (size_t i = 0; i < truth.size() && right; ++i)
        if (r.block[i] != truth[i]) {
            right = false;
            t.wrong = differenceText("identifier byte", static_cast<uint32_t>(i), r.block[i], truth[i]);
        }
    t.changed = bytesChanged(before, m);
    line.finish(t, right);
    return t;
}

}  // namespace velmora::sim
