// RAM names read from the files gpasm writes for small sources assembled here: the
// addresses the sources place them at, in the .cod file and in the listing alike, and
// velmora-cli's `symbols` and `--symbols` on them.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/CliArgs.h"
#include "cli/SymbolsCommand.h"
#include "cli/WatchCommand.h"
#include "symbols/SymbolFile.h"
#include "tests/support/Gpasm.h"

using namespace velmora;
using symbols::Symbol;

namespace velmora::symbols {
void PrintTo(const Symbol& s, std::ostream* os) { *os << s.name << " " << std::hex << s.address; }
}  // namespace velmora::symbols

namespace {

constexpr const char* kHeader = "        processor 18f6520\n        #include <p18f6520.inc>\n";

// Both cblocks, a multi-byte one among them; an equ constant and a code label that are
// not RAM; the include's registers (PORTB, STATUS...) that are not the project's.
const std::string kCblocks = std::string(kHeader) +
                             "        cblock 0x020\n"
                             "            counter\n"
                             "            flags, mode   ; two on a line\n"
                             "            buffer:4\n"
                             "            tail\n"
                             "        endc\n"
                             "        cblock 0x150\n"
                             "hiVar\n"
                             "        endc\n"
                             "LIMIT   equ 0x33\n"
                             "        org 0\n"
                             "start:  movlw LIMIT\n"
                             "        movwf counter, ACCESS\n"
                             "        goto start\n"
                             "        end\n";

// gpasm refuses the second `alpha` and keeps the first.
const std::string kTwice = std::string(kHeader) +
                           "        cblock 0x020\n            alpha\n            beta\n        endc\n"
                           "        cblock 0x040\n            alpha\n        endc\n        end\n";

const std::string kNone = std::string(kHeader) + "PERIOD  equ 0x40\n        org 0\nloop:   goto loop\n        end\n";

// Two names at one address: by name, upper case first as bytes sort.
const std::string kShared = std::string(kHeader) +
                            "        cblock 0x030\n            zeta\n        endc\n"
                            "        cblock 0x030\n            Alpha\n        endc\n"
                            "        cblock 0x02F\n            last\n        endc\n        end\n";

// Data sections at addresses; one the linker places; `speed` global for the linker's
// .cod, which keeps global names only.
const std::string kSections = std::string(kHeader) +
                              "        global  speed\n"
                              "vars    udata   0x060\n"
                              "speed   res 2\n"
                              "mode    res 1\n"
                              "        udata_acs 0x010\n"
                              "quick   res 1\n"
                              "        udata\n"
                              "placed  res 1\n"
                              "code_s  code 0\n"
                              "start:  goto start\n"
                              "        end\n";

std::vector<Symbol> read(const std::string& path) {
    const symbols::SymbolRead r = symbols::readSymbolFile(path);
    EXPECT_TRUE(r.ok()) << path << ": " << r.error;
    return r.table.symbols();
}

class SymbolFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gpasm.present()) GTEST_SKIP() << "gpasm is not installed";
    }
    test::Gpasm gpasm{VELMORA_GPASM};
};

std::string capture(const std::function<int(std::FILE*, std::FILE*)>& run, int& code, std::string& err) {
    std::FILE* out = std::tmpfile();
    std::FILE* errFile = std::tmpfile();
    code = run(out, errFile);
    auto text = [](std::FILE* f) {
        std::rewind(f);
        std::string s;
        for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
        std::fclose(f);
        return s;
    };
    err = text(errFile);
    return text(out);
}

}  // namespace

TEST_F(SymbolFiles, NamesAtTheAddressesTheSourcePutsThem) {
    struct Case {
        const char* name;
        const std::string& source;
        bool relocatable;
        std::vector<Symbol> cod, lst;
    };
    const std::vector<Symbol> cblocks = {
        {"counter", 0x020}, {"flags", 0x021}, {"mode", 0x022}, {"buffer", 0x023}, {"tail", 0x027}, {"hiVar", 0x150}};
    const std::vector<Symbol> twice = {{"alpha", 0x020}, {"beta", 0x021}};
    const std::vector<Symbol> shared = {{"last", 0x02F}, {"Alpha", 0x030}, {"zeta", 0x030}};
    const Case cases[] = {
        {"cblocks", kCblocks, false, cblocks, cblocks},
        {"twice", kTwice, false, twice, twice},
        {"none", kNone, false, {}, {}},
        {"shared", kShared, false, shared, shared},
        {"sections", kSections, true, {{"speed", 0x060}},
         {{"quick", 0x010}, {"speed", 0x060}, {"mode", 0x062}}},
    };
    for (const Case& c : cases) {
        const std::string base = gpasm.assemble(c.name, c.source, c.relocatable);
        EXPECT_EQ(read(base + ".cod"), c.cod) << c.name;
        EXPECT_EQ(read(base + ".lst"), c.lst) << c.name;
    }
}

TEST_F(SymbolFiles, DamagedOrForeignFilesAreRefusedWhole) {
    const std::string base = gpasm.assemble("vars", kCblocks);
    std::ifstream codIn(base + ".cod", std::ios::binary), lstIn(base + ".lst");
    const std::string cod((std::istreambuf_iterator<char>(codIn)), {});
    const std::string lst((std::istreambuf_iterator<char>(lstIn)), {});
    // The directory names the long symbol table's first block at 0x1CE, low byte first.
    const size_t table = (static_cast<uint8_t>(cod[0x1CE]) | static_cast<uint8_t>(cod[0x1CF]) << 8) * 512;
    std::string notText = cod;
    notText[table + 1] = '\x01';
    struct Case {
        const char* what;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"a .cod cut inside a block", cod.substr(0, cod.size() - 100), "cut short"},
        {"a .cod cut to its first blocks", cod.substr(0, table), "cut short"},
        {"a symbol name not text", notText, "not text"},
        {"a listing cut in its symbol table", lst.substr(0, lst.find("hiVar ")), "cut short"},
        {"the source", kCblocks, "neither"},
        {"nothing", "", "neither"},
    };
    for (const Case& c : cases) {
        const std::string path = gpasm.file("damaged");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        const symbols::SymbolRead r = symbols::readSymbolFile(path);
        EXPECT_FALSE(r.ok()) << c.what;
        EXPECT_TRUE(r.table.empty()) << c.what;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << c.what << ": " << r.error;
        EXPECT_EQ(r.error.rfind(path, 0), 0u) << c.what << ": the file is named";
    }
}

TEST_F(SymbolFiles, TheSymbolsCommandPrintsNamesByAddressOrRefusesWithTwo) {
    const std::string shared = gpasm.assemble("shared", kShared) + ".lst";
    const std::string none = gpasm.assemble("none", kNone) + ".cod";
    struct Case {
        std::string file;
        int code;
        std::string out, errHas;
    } cases[] = {
        {shared, 0, "last 02F\nAlpha 030\nzeta 030\n", ""},
        {none, 0, "", ""},
        {gpasm.file("missing.cod"), 2, "", "missing.cod"},
        {gpasm.file(""), 2, "", "not a regular file"},
        {gpasm.file("shared.asm"), 2, "", "neither a .cod file nor"},
    };
    for (const Case& c : cases) {
        int code = -1;
        std::string err;
        const std::string out = capture([&](std::FILE* o, std::FILE* e) { return cli::runSymbols(c.file, o, e); }, code, err);
        EXPECT_EQ(code, c.code) << c.file;
        EXPECT_EQ(out, c.out) << c.file;
        EXPECT_NE(err.find(c.errHas), std::string::npos) << c.file << ": " << err;
    }
}

TEST_F(SymbolFiles, DumpAndWatchTakeANameForTheAddress) {
    const std::string file = gpasm.assemble("cblocks", kCblocks) + ".cod";
    struct Case {
        std::vector<std::string> args;
        std::optional<uint16_t> address;  // the page for dump, the variable for watch
        std::string errHas;
    } cases[] = {
        {{"dump", "ram", "1", "hiVar", "--symbols", file}, 0x100, ""},
        {{"--symbols", file, "dump", "ram", "1", "2A0"}, 0x200, ""},
        {{"watch", "1", "tail", "2", "--symbols", file, "--period", "100"}, 0x027, ""},
        {{"watch", "--slave", "10", "--symbols", file, "1", "counter", "1"}, 0x020, ""},
        {{"dump", "ram", "1", "nosuch", "--symbols", file}, std::nullopt, "'nosuch'"},
        {{"watch", "1", "Counter", "1", "--symbols", file}, std::nullopt, "'Counter'"},
        {{"watch", "1", "tail", "1", "--symbols", gpasm.file("none.cod")}, std::nullopt, "none.cod"},
        {{"dump", "ram", "1", "hiVar"}, std::nullopt, "hiVar"},
        {{"symbols"}, std::nullopt, "symbols takes FILE"},
        {{"symbols", file, "--symbols", file}, std::nullopt, "symbols does not take --symbols"},
    };
    for (const Case& c : cases) {
        std::string error, joined;
        for (const auto& w : c.args) joined += w + " ";
        auto args = cli::parseCliArgs(c.args, error);
        std::optional<uint16_t> got;
        if (args && args->dump) got = args->dump->firstPage;
        if (args && args->command == cli::CliArgs::Command::Watch)
            if (auto w = cli::parseWatchWords(args->words, error)) got = w->variable.address;
        EXPECT_EQ(got, c.address) << joined << error;
        if (!c.address) {
            EXPECT_NE(error.find(c.errHas), std::string::npos) << joined << error;
        }
    }
}
