#pragma once
// A project's symbol file read whole: a `.cod` file or a listing, told apart by what
// it holds rather than by its name.

#include <string>
#include <string_view>

#include "symbols/SymbolTable.h"

namespace velmora::symbols {

// Far beyond any listing of a PIC18 program; a larger file is not one of ours.
inline constexpr size_t kSymbolFileLimit = 32 * 1024 * 1024;

SymbolRead parseSymbolFile(std::string_view bytes);

// The file at `path`; an error names the file.
SymbolRead readSymbolFile(const std::string& path);

}  // namespace velmora::symbols
