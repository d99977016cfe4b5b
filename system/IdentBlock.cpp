#include "system/IdentBlock.h"

#include "common/Cp1251.h"

namespace velmora::system {

namespace {
constexpr uint8_t kCr = 13;

size_t characterCount(std::string_view utf8) {
    size_t n = 0;
    for (char c : utf8)
        if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++n;
    return n;
}
}  // namespace

const std::vector<std::string>& builtInIdentNames() {
    static const std::vector<std::string> names = {
        "                  Тип: ", "           Исполнение: ", "     Версия программы: ",
        "         Дата выпуска: ", "       Серийный номер: ", "          Изготовлено: ",
        "          Разработано: ", "               E-mail: ", "                 Сайт: ",
        "              Телефон: ", "                  Fax: ", "           Коментарий: ",
        "Скорость обмена бит/с: ", "         Адрес Modbus: ", "            Адрес i2c: ",
        "               Вектор: ",
    };
    return names;
}

std::vector<std::string> identFields(const IdentBuffer& block) {
    std::vector<std::string> fields;
    if (block[0] == 0xFF) return fields;
    size_t i = 0;
    while (i < kIdentSize && block[i] != 0) {
        const size_t start = i;
        while (i < kIdentSize && block[i] != kCr) ++i;
        fields.emplace_back(reinterpret_cast<const char*>(block.data() + start), i - start);
        ++i;  // past the CR (or past the block's end when the field had none)
        if (i < kIdentSize && (block[i] == 0x00 || block[i] == 0xFF)) break;
    }
    return fields;
}

std::string shownFieldText(std::string_view cp1251) {
    std::string clean(cp1251);
    for (char& c : clean) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x20 || b == 0x7F) c = '?';
    }
    return cp1251ToUtf8(clean);
}

std::string paddedName(std::string_view utf8Name) {
    const size_t n = characterCount(utf8Name);
    std::string out(n < kNameWidth ? kNameWidth - n : 0, ' ');
    out += utf8Name;
    return out;
}

std::vector<std::string> identFieldLines(const IdentBuffer& block, bool readOk,
                                         const std::vector<std::string>& names) {
    std::vector<std::string> lines;
    const std::vector<std::string> fields =
        readOk ? identFields(block) : std::vector<std::string>{};
    if (!readOk || block[0] == 0xFF) {
        for (const std::string& name : names) lines.push_back(paddedName(name) + kNoData);
        return lines;
    }
    for (size_t k = 0; k < fields.size(); ++k) {
        const std::string_view name =
            k < names.size() ? std::string_view(names[k]) : std::string_view(kUnknownParameter);
        lines.push_back(paddedName(name) + "  " + shownFieldText(fields[k]));
    }
    return lines;
}

std::vector<std::string> identListLines(const IdentBuffer& block, bool readOk,
                                        const std::vector<std::string>& names) {
    std::vector<std::string> lines = {kIdentHeader, ""};
    for (std::string& l : identFieldLines(block, readOk, names)) lines.push_back(std::move(l));
    return lines;
}

}  // namespace velmora::system
