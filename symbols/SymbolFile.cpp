#include "symbols/SymbolFile.h"

#include "common/RegularFileRead.h"
#include "symbols/CodSymbols.h"
#include "symbols/ListingSymbols.h"

namespace velmora::symbols {

SymbolRead parseSymbolFile(std::string_view bytes) {
    if (looksLikeCod(bytes)) return parseCod(bytes);
    if (looksLikeListing(bytes)) return parseListing(bytes);
    SymbolRead result;
    result.error = "neither a .cod file nor an assembler listing with a symbol table";
    return result;
}

SymbolRead readSymbolFile(const std::string& path) {
    const FileRead file = readRegularFile(path, kSymbolFileLimit);
    SymbolRead result;
    if (!file.ok()) {
        result.error = file.message;
        return result;
    }
    result = parseSymbolFile(file.text);
    if (!result.ok()) result.error = path + ": " + result.error;
    return result;
}

}  // namespace velmora::symbols
