// The memory views' outside input: velmora-cli's dump, sfr and poke words as a script or
// a person types them, SFR list texts, and reply bytes shown by the value inspector.
// Whatever is accepted must stay inside the memory it names. Input: the words separated
// by blanks or NULs; its first four bytes also go to the inspector.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliArgs.h"
#include "views/NameTables.h"
#include "views/SfrList.h"
#include "views/VarFormat.h"

using namespace velmora;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_view_commands: %s\n", what);
    std::abort();
}

std::vector<std::string> words(const uint8_t* data, size_t size) {
    std::vector<std::string> out;
    std::string word;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == ' ' || c == '\0') {
            if (!word.empty()) out.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) out.push_back(word);
    return out;
}

void checkCommand(const std::vector<std::string>& w) {
    std::string error;
    auto args = cli::parseCliArgs(w, error);
    if (!args) {
        if (error.empty()) fault("refused without a reason");
        return;
    }
    if (args->dump) {
        const auto& d = *args->dump;
        const uint32_t end = d.memory == cli::DumpCommand::Memory::Ram      ? 0x1000
                             : d.memory == cli::DumpCommand::Memory::Eeprom ? 0x400
                                                                            : 0x10000;
        if (d.firstPage % 0x100 || d.pages == 0 || d.firstPage + d.pages * 0x100u > end)
            fault("dump past the memory");
        if (d.target.cid == 0) fault("dump of node 00");
    }
    if (args->poke && args->poke->address > (args->poke->eeprom ? 0x3FF : 0xFFF))
        fault("poke past the memory");
    if (args->sfr && args->sfr->address &&
        (*args->sfr->address < 0xF80 || *args->sfr->address > 0xFFF))
        fault("sfr outside F80..FFF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto w = words(data, size);
    checkCommand(w);
    std::vector<std::string> asDump{"dump"};
    asDump.insert(asDump.end(), w.begin(), w.end());
    checkCommand(asDump);

    const std::string text(reinterpret_cast<const char*>(data), size);
    if (auto adr = views::sfrItemAddress(text)) {
        if (*adr < 0xF80 || *adr > 0xFFF) fault("item names no SFR");
        const std::string again = views::sfrItemText(*adr - 0xF80u, 0);
        if (views::sfrItemAddress(again) != adr) fault("item text does not lead back");
    }

    std::array<uint8_t, 4> bytes{};
    for (size_t i = 0; i < 4 && i < size; ++i) bytes[i] = data[i];
    for (int t = 0; t <= static_cast<int>(views::VarType::Float32); ++t)
        for (int f = 0; f <= static_cast<int>(views::VarFormat::Off); ++f) {
            const std::string s = views::showVarValue(static_cast<views::VarType>(t),
                                                      static_cast<views::VarFormat>(f), bytes, ",");
            if ((f == static_cast<int>(views::VarFormat::Off)) != s.empty())
                fault("inspector text empty or not as it should be");
            if (s.find('\0') != std::string::npos) fault("NUL in the inspector text");
        }
    return 0;
}
