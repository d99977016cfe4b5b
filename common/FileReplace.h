#pragma once
// Saving a file so that whoever reads it, and whatever happens to the saving process,
// finds either the old contents or the new ones whole: never a mix, never an empty file.

#include <string>
#include <string_view>

namespace velmora {

// Writes `contents` to `<file>.tmp` beside the file `path` names (through its symbolic
// links, so a linked file stays linked), flushes it to disk and renames it over that
// file. The new file keeps the old one's permissions. A `<file>.tmp` left by an earlier,
// killed save is removed first. False with the reason in `error`; the file is then as
// it was. Only a regular file (or none) is ever replaced: renaming over a FIFO, a device
// node or a directory would destroy what the name stood for.
bool replaceFile(const std::string& path, std::string_view contents, std::string& error);

// Whether replaceFile could put a file at `path` now: the name (through its links) is free
// or a regular file, and its folder lets us create the file beside it. Asked before work
// that is long or hard to repeat (reading a whole module), so that it is not spent on a
// file that cannot be saved. False with the reason in `error`.
bool canReplaceFile(const std::string& path, std::string& error);

}  // namespace velmora
