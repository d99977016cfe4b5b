#include "sim/SimConfig.h"

#include "common/Cp1251.h"
#include "common/HexText.h"

namespace velmora::sim {

namespace {

constexpr std::string_view kDefault = R"(# Velmora's simulated module network
node 01
id ПЛК-18 узел|Базовое|2.03|15.01.2026|000101|Велмора|Велмора|service@velmora.example|velmora.example|+7 000 000-00-00|-|Симулятор узла|115200|01|00|2000
ee 0FC 00 15 00 01
ram 050 00 00 00 01
flash 2000 EF 10 F0 0F 12 00 FF FF
i2c 10
id Модуль входов|16DI|1.10|20.02.2026|001016|Велмора|Велмора|service@velmora.example|velmora.example|+7 000 000-00-00|-|Симулятор i2c|115200|01|10|4000
flash 4000 00 01 02 03
i2c 22
id Модуль выходов|8DO|1.04|03.03.2026|001022|Велмора|Велмора|service@velmora.example|velmora.example|+7 000 000-00-00|-|Симулятор i2c|115200|01|22|4000
node 03
id ПЛК-18 узел|Расширенное|2.03|15.01.2026|000103|Велмора|Велмора|service@velmora.example|velmora.example|+7 000 000-00-00|-|Симулятор узла|115200|03|00|2000
ee 0FC 00 15 00 03
)";

std::vector<std::string> splitFields(std::string_view text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t bar = text.find('|', start);
        out.push_back(utf8ToCp1251(text.substr(start, bar - start)));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::string_view defaultConfig() {
    return kDefault;
}

bool loadConfig(std::string_view text, ModuleNetwork& network, std::string& error) {
    SimNode* node = nullptr;
    SimModule* target = nullptr;
    bool targetIsNode = false;
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view line = trim(text.substr(pos, end - pos));
        pos = end == std::string_view::npos ? text.size() + 1 : end + 1;
        ++lineNo;
        if (line.empty() || line.front() == '#') continue;
        size_t space = line.find(' ');
        std::string_view word = line.substr(0, space);
        std::string_view rest = space == std::string_view::npos ? "" : trim(line.substr(space));
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        };
        if (word == "node") {
            auto adr = parseHex(rest, 0xFF);
            if (!adr || *adr == 0) return fail("node address must be 01..FF");
            node = &network.addNode(static_cast<uint8_t>(*adr));
            target = &node->module();
            targetIsNode = true;
        } else if (word == "i2c") {
            if (!node) return fail("i2c before any node");
            auto adr = parseHex(rest, 0xFF);
            if (!adr || *adr == 0 || (*adr & 1)) return fail("i2c address must be even, 02..FE");
            if (!node->subModule(static_cast<uint8_t>(*adr)) && node->subModules().size() >= 32)
                return fail("more than 32 sub-modules behind one node");
            target = &node->addSubModule(static_cast<uint8_t>(*adr));
            targetIsNode = false;
        } else if (word == "id") {
            if (!target) return fail("id before any node");
            auto fields = splitFields(rest);
            if (targetIsNode) {
                auto block = SimModule::identifierBlock(fields, kIdSize);
                std::copy(block.begin(), block.end(), target->id.begin());
            } else {
                auto block = SimModule::identifierBlock(fields, 256);
                std::copy(block.begin(), block.end(), target->ram.begin() + kI2cIdBase);
            }
        } else if (word == "ram" || word == "ee" || word == "flash") {
            if (!target) return fail(std::string(word) + " before any node");
            size_t sp = rest.find(' ');
            auto adr = parseHex(rest.substr(0, sp), 0xFFFF);
            auto bytes = parseHexByteList(sp == std::string_view::npos ? "" : rest.substr(sp));
            if (!adr || !bytes) return fail("expected an address and hexadecimal bytes");
            uint8_t* memory = word == "ram"  ? target->ram.data()
                              : word == "ee" ? target->eeprom.data()
                                             : target->flash.data();
            size_t size = word == "ram" ? kRamSize : word == "ee" ? kEepromSize : kFlashSize;
            if (*adr + bytes->size() > size) return fail("bytes run past the end of memory");
            std::copy(bytes->begin(), bytes->end(), memory + *adr);
        } else {
            return fail("unknown statement '" + std::string(word) + "'");
        }
    }
    return true;
}

}  // namespace velmora::sim
