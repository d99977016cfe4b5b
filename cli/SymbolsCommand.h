#pragma once
// `velmora-cli symbols FILE`, and `--symbols FILE` for the commands that take a RAM
// address (`dump ram`, `watch`): there the address may be a name the file gives.

#include <cstdio>
#include <string>
#include <vector>

namespace velmora::cli {

// Prints the file's RAM names, "NAME XXX" a line, by address then name: 0. A file that
// cannot be read or is not a symbol file: the reason on `err`, 2.
int runSymbols(const std::string& file, std::FILE* out, std::FILE* err);

// Puts the address a name of `file` gives in place of `word` (three hex digits); a
// hexadecimal address is left as typed. False, with the reason in `error`, for a file
// that cannot be read and for a word that is neither.
bool nameToAddress(std::string& word, const std::string& file, std::string& error);

// The same for the `position`-th (from 0) positional word of a command's own words,
// once "--symbols FILE" is taken out of them; nothing done without that option.
bool nameToAddressIn(std::vector<std::string>& words, size_t position, std::string& error);

}  // namespace velmora::cli
