#pragma once
// The file a path finally names once its symbolic links are followed. Saving through
// a link must replace the file it points at, not the link.

#include <optional>
#include <string>

namespace velmora {

// Follows the last component's links (relative targets from the link's own folder)
// until a name that is not a link, which need not exist. Nothing when a link cannot be
// read or the chain loops, with the reason in `error`.
std::optional<std::string> linkTarget(const std::string& path, std::string& error);

}  // namespace velmora
