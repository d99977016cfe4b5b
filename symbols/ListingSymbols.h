#pragma once
// The data-memory symbols of an assembler listing (`.lst`, as gpasm and MPASM write it).
//
// The listing's "SYMBOL TABLE" gives every symbol's value but not what kind it is, so
// the listed source says which names are data memory: the names a `cblock` ... `endc`
// block defines, and the labels of `res` lines in a data section (`udata`, `udata_acs`,
// `udata_ovr`, `udata_shr`, `idata`) placed at an address. A `res` in a section the
// linker places has only its offset in the listing, and a `res` outside a data section
// reserves program memory; neither is kept. The processor include defines its
// registers and bits with `equ` and is not listed (it turns the listing off), so none
// of its names is taken; neither are the project's own `equ` and `set` constants or
// its code labels. A name the source defines but the table lacks (a `cblock` in a
// conditional left out, or in a macro's definition) is passed over.
//
// Only a listing with its ending ("Errors :" after the table) is read: a listing cut
// short would give part of its table as if it were all.

#include <string_view>

#include "symbols/SymbolTable.h"

namespace velmora::symbols {

// True when the text holds a "SYMBOL TABLE" line with its "LABEL ... VALUE" heading.
bool looksLikeListing(std::string_view text);

SymbolRead parseListing(std::string_view text);

}  // namespace velmora::symbols
