#include "firmware/HexLoader.h"

#include <memory>
#include <optional>

#include "common/HexText.h"
#include "common/NumberText.h"

namespace velmora::firmware {

namespace {

// The region names the listing's prefix; where a byte goes is judged by its address.
enum class Region { Flash, Eeprom, Other };

constexpr uint32_t kEepromBase = 0xF00000;
constexpr uint32_t kConfigFirst = 0x200000;
constexpr uint32_t kConfigLast = 0x3FFFFF;

constexpr const char* kFlashPrefix = "  FLASH ";
constexpr const char* kEepromPrefix = " EEPROM ";

struct Range {
    bool open = false;
    uint32_t start = 0;
    uint32_t end = 0;
};

// One line's pairs: every two characters after the colon, read as a byte.
struct Record {
    std::vector<uint8_t> bytes;  // count, address high, address low, type, data..., checksum
};

class Reader {
public:
    Reader(uint16_t shift, FirmwareImages& images, HexListing* listing)
        : shift_(shift), images_(images), listing_(listing) {}

    // False when the file is rejected; `result` says why.
    bool readLine(std::string_view line, size_t number, HexLoadResult& result, bool& ended);
    void listOpenRange();

private:
    bool decode(std::string_view line, size_t number, Record& record, HexLoadResult& result);
    bool storeData(const Record& r, size_t number, HexLoadResult& result);
    bool baseRecord(const Record& r, size_t number, HexLoadResult& result);
    void trackRange(uint32_t address, uint32_t count);

    uint16_t shift_;
    FirmwareImages& images_;
    HexListing* listing_;
    Region region_ = Region::Flash;
    uint32_t base_ = 0;       // from the last 02 or 04 record
    bool segmented_ = false;  // the base is a segment's: offsets wrap within 64 KB
    const char* prefix_ = kFlashPrefix;
    Range range_;
};

std::string hex4(uint32_t v) {
    return hexNumber(v, 4);
}

bool Reader::decode(std::string_view line, size_t number, Record& record, HexLoadResult& result) {
    // ':' count(2) address(4) type(2) checksum(2) at the least, and whole pairs.
    if (line.empty() || line.front() != ':' || line.size() < 11 || (line.size() - 1) % 2 != 0) {
        result = {HexProblem::Structure, number, {}};
        return false;
    }
    record.bytes.clear();
    for (size_t i = 1; i < line.size(); i += 2) {
        const std::string_view pair = line.substr(i, 2);
        auto v = parseHex(pair, 0xFF);
        if (!v) {
            result = {HexProblem::NotHex, number, std::string(pair)};
            return false;
        }
        record.bytes.push_back(static_cast<uint8_t>(*v));
    }
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < record.bytes.size(); ++i) sum += record.bytes[i];
    if (record.bytes.back() != static_cast<uint8_t>((256 - sum % 256) % 256)) {
        result = {HexProblem::Checksum, number, {}};
        return false;
    }
    // count, address (2), type, data, checksum
    if (record.bytes.size() < 5u + record.bytes[0]) {
        result = {HexProblem::ShortRecord, number, {}};
        return false;
    }
    return true;
}

void Reader::listOpenRange() {
    if (!range_.open) return;
    const uint32_t shift = region_ == Region::Flash ? shift_ : 0;
    if (listing_)
        listing_->lines.push_back(std::string(prefix_) + "  0x" + hex4(range_.start + shift) +
                                  "        0x" + hex4(range_.end + shift) + "      0x" +
                                  hex4(range_.end - range_.start + 1));
    range_.open = false;
}

void Reader::trackRange(uint32_t address, uint32_t count) {
    const uint32_t last = address + count - 1;
    if (range_.open && address == range_.end + 1) {
        range_.end = last;
        return;
    }
    listOpenRange();
    range_ = {true, address, last};
}

bool Reader::storeData(const Record& r, size_t number, HexLoadResult& result) {
    const uint32_t count = r.bytes[0];
    const uint32_t offset = (static_cast<uint32_t>(r.bytes[1]) << 8) | r.bytes[2];
    if (count == 0) return true;
    // Flash ranges are listed at their addresses in Flash; the others at the record's.
    trackRange(region_ == Region::Flash ? base_ + offset : offset, count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t data = r.bytes[4 + i];
        const uint32_t address =
            segmented_ ? base_ + ((offset + i) & 0xFFFF) : base_ + offset + i;
        if (address <= kFlashTop && address + shift_ <= kFlashTop) {
            images_.FlashImage[address + shift_] = data;
        } else if (address >= kEepromBase && address - kEepromBase <= kEepromTop) {
            images_.EepromImage[address - kEepromBase] = static_cast<uint16_t>(0xFF00 | data);
        } else if (address < kConfigFirst || address > kConfigLast) {
            result = {HexProblem::OutsideMemory, number, {}, address};
            return false;
        }
    }
    return true;
}

// Types 02 and 04 set the base of the data records that follow.
bool Reader::baseRecord(const Record& r, size_t number, HexLoadResult& result) {
    if (r.bytes[0] < 2) {
        result = {HexProblem::ShortRecord, number, {}};
        return false;
    }
    const uint32_t value = (static_cast<uint32_t>(r.bytes[4]) << 8) | r.bytes[5];
    listOpenRange();
    segmented_ = r.bytes[3] == 0x02;
    base_ = segmented_ ? value << 4 : value << 16;
    if (segmented_ || value == 0x0000) {
        region_ = Region::Flash;
        prefix_ = kFlashPrefix;
    } else if (value == 0x00F0) {
        region_ = Region::Eeprom;
        prefix_ = kEepromPrefix;
    } else {
        region_ = Region::Other;  // the prefix stays as it was
    }
    return true;
}

bool Reader::readLine(std::string_view line, size_t number, HexLoadResult& result, bool& ended) {
    Record r;
    if (!decode(line, number, r, result)) return false;
    switch (r.bytes[3]) {
        case 0x00:
            return storeData(r, number, result);
        case 0x01:
            listOpenRange();
            ended = true;
            return true;
        case 0x02:
        case 0x04:
            return baseRecord(r, number, result);
        default:
            return true;  // other record types carry nothing for these images
    }
}

// The file's lines: LF or CR LF ends a line; a last line without an end still counts.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string hexListingHeader() {
    return std::string("        ") + " Start Adres" + "   Fin Adres" + "  Len (byte)";
}

HexLoadResult loadHexText(std::string_view text, uint16_t flashShift, FirmwareImages& images,
                          HexListing* listing) {
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty()) return {HexProblem::NoLines, 0, {}};
    // Read into a copy: the images change only when the whole file is good.
    auto scratch = std::make_unique<FirmwareImages>();
    Reader reader(flashShift, *scratch, listing);
    HexLoadResult result;
    bool ended = false;
    for (size_t i = 0; i < lines.size() && !ended; ++i)
        if (!reader.readLine(lines[i], i + 1, result, ended)) return result;
    // Without its end record nothing says the file was not cut short in the middle.
    if (!ended) return {HexProblem::NoEndRecord, lines.size(), {}};
    images = *scratch;
    return result;
}

std::string hexProblemMessage(const HexLoadResult& r) {
    const std::string where = ", строка " + std::to_string(r.line);
    switch (r.problem) {
        case HexProblem::None:
            return {};
        case HexProblem::NoLines:
            return "нет данных";
        case HexProblem::Structure:
        case HexProblem::ShortRecord:
            return "Ошибка  структуры входного файла" + where;
        case HexProblem::Checksum:
            return "Ошибка  контрольной суммы входного файла" + where;
        case HexProblem::NotHex:
            return "'" + r.badPair + "' is not a valid integer value" + where;
        case HexProblem::OutsideMemory:
            return "Данные вне памяти модуля (адрес " + hexNumber(r.address, 6) + ")" + where;
        case HexProblem::NoEndRecord:
            return "Нет записи конца файла: файл оборван после строки " + std::to_string(r.line);
    }
    return {};
}

}  // namespace velmora::firmware
