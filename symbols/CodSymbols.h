#pragma once
// The symbol table of an MPLAB `.cod` file, as gpasm and gplink (and MPASM) write it.
//
// The file is a row of 512-byte blocks; the first is the directory, which names the
// blocks holding each table by their first and last block number (two bytes each, low
// byte first). Symbols are in the long table (a length byte, the name, a two-byte type
// low byte first, a four-byte value high byte first; a zero length ends a block's
// records) or, in files of older assemblers, in the short table (sixteen-byte records:
// a length byte, twelve name bytes, a type byte, a two-byte value low byte first).
//
// A data-memory name is a symbol of type "c_short": what `cblock` gives a name, and
// what the linker gives a `res` reservation of a data section. The processor include
// defines its registers and bits with `equ`, which are of type "constant", and code
// labels are of type "address"; neither is kept.

#include <string_view>

#include "symbols/SymbolTable.h"

namespace velmora::symbols {

// True when `bytes` starts with a `.cod` directory block: its texts (source, compiler,
// processor) are text within their fields. A file cut short still starts with one.
bool looksLikeCod(std::string_view bytes);

// The data-memory symbols of a `.cod` file; an error for a table that runs past the
// file's end or past its block, or that holds a record no assembler writes.
SymbolRead parseCod(std::string_view bytes);

}  // namespace velmora::symbols
