#include "firmware/ProgramLoad.h"

#include <memory>

#include "common/HexText.h"
#include "firmware/ImageWriter.h"

namespace velmora::firmware {

WriteCoverage writeCoverage(const FirmwareImages& images, const FirmwareTarget& target) {
    WriteCoverage c;
    c.bottom = firstWritableBlock(target);
    for (uint32_t a = 0; a < c.bottom; ++a)
        if (images.FlashImage[a] != kErasedFlash) ++c.bytesBelowBottom;
    for (uint32_t b = c.bottom; b + 64 <= kFlashTop + 1; b += 64)
        if (!blockIsBlank(images, b)) ++c.flashBlocks;
    for (uint16_t cell : images.EepromImage)
        if (FirmwareImages::given(cell)) ++c.eepromCells;
    return c;
}

ProgramLoad loadForProgramming(std::string_view text, uint16_t flashShift,
                               const FirmwareTarget& target, FirmwareImages& images,
                               HexListing* listing) {
    ProgramLoad load;
    auto scratch = std::make_unique<FirmwareImages>();
    load.hex = loadHexText(text, flashShift, *scratch, listing);
    if (!load.hex.ok()) return load;
    load.coverage = writeCoverage(*scratch, target);
    if (load.ok()) images = *scratch;
    return load;
}

std::string nothingToWriteMessage(const WriteCoverage& c) {
    if (c.bytesBelowBottom > 0)
        return "В файле нет данных для записи: все данные Flash ниже адреса " +
               hexNumber(c.bottom, 4) + ", с которого пишется модуль";
    return "В файле нет данных для записи в модуль";
}

std::string belowBottomNote(const WriteCoverage& c) {
    if (c.bytesBelowBottom == 0) return {};
    return "Не записано " + std::to_string(c.bytesBelowBottom) + " байт Flash ниже адреса " +
           hexNumber(c.bottom, 4);
}

}  // namespace velmora::firmware
