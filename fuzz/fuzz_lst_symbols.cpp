// An assembler listing as found on disk, any text at all. The read gives the same
// names with CR LF line ends as with LF, and a listing cut before its ending is refused.

#include <string>
#include <string_view>

#include "fuzz/SymbolCheck.h"
#include "symbols/ListingSymbols.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const symbols::SymbolRead read = symbols::parseListing(text);
    fuzz::checkSymbolRead("fuzz_lst_symbols", read);

    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const symbols::SymbolRead windows = symbols::parseListing(crlf);
    if (windows.ok() != read.ok() || windows.table.symbols() != read.table.symbols())
        fuzz::symbolFault("fuzz_lst_symbols", "CR LF line ends read otherwise");

    const size_t errors = text.rfind("Errors");
    if (read.ok() && errors != std::string_view::npos && text.find("Errors") == errors &&
        symbols::parseListing(text.substr(0, errors)).ok())
        fuzz::symbolFault("fuzz_lst_symbols", "a listing without its ending read as whole");
    return 0;
}
