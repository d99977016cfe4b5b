// A `.cod` file as found on disk, any bytes at all. The read never runs past the file
// and gives the same answer when the file is recognised among the symbol files.

#include <string_view>

#include "fuzz/SymbolCheck.h"
#include "symbols/CodSymbols.h"
#include "symbols/SymbolFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const symbols::SymbolRead read = symbols::parseCod(bytes);
    fuzz::checkSymbolRead("fuzz_cod_symbols", read);
    if (symbols::looksLikeCod(bytes)) {
        const symbols::SymbolRead any = symbols::parseSymbolFile(bytes);
        if (any.error != read.error || any.table.symbols() != read.table.symbols())
            fuzz::symbolFault("fuzz_cod_symbols", "the file's reading differs from the .cod reading");
    }
    return 0;
}
