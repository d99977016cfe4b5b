#pragma once
// A whole file read only when it is a plain file of bounded size. A FIFO would keep the
// reader waiting for a writer that may never come, a device such as /dev/zero never
// ends, and a directory reads as nothing: none of them is a file someone meant to load.
// The open never blocks (a FIFO is opened non-blocking and refused once seen), and the
// kind is judged on the descriptor itself, so a name swapped between look and open
// cannot slip a FIFO or a device past the check.

#include <cstddef>
#include <string>

namespace velmora {

enum class FileReadFault {
    None,
    Missing,     // no file by that name
    NotRegular,  // a directory, FIFO, device or socket
    TooLarge,    // more bytes than the caller's limit
    Unreadable,  // open or read failed: `reason` says why
};

struct FileRead {
    FileReadFault fault = FileReadFault::None;
    std::string text;     // the whole contents, when ok()
    std::string reason;   // why it was refused: "not a regular file", the system's word...
    std::string message;  // "cannot read <path>: <reason>"
    bool ok() const { return fault == FileReadFault::None; }
};

// Reads `path` (its symbolic links followed) when it is a regular file of at most
// `limit` bytes.
FileRead readRegularFile(const std::string& path, size_t limit);

}  // namespace velmora
