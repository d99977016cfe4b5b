#pragma once
// Lines added to the end of a log file that may not exist yet. Only a regular file is
// written to: opening a FIFO for writing would wait for a reader that may never come,
// and a device under a log's name is nobody's log.

#include <string>
#include <string_view>

namespace velmora {

class RegularFileAppend {
public:
    // Opens (creating it if need be) `path` for appending; `ok()` says whether it worked,
    // `error()` why not.
    explicit RegularFileAppend(const std::string& path);
    ~RegularFileAppend();
    RegularFileAppend(const RegularFileAppend&) = delete;
    RegularFileAppend& operator=(const RegularFileAppend&) = delete;

    bool ok() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    // Writes all of `text` at the end; false with error() set when it could not.
    bool write(std::string_view text);

private:
    int fd_ = -1;
    std::string error_;
};

}  // namespace velmora
