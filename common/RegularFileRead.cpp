#include "common/RegularFileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velmora {

namespace {

FileRead refused(FileReadFault fault, const std::string& path, size_t limit, int error = 0) {
    FileRead r;
    r.fault = fault;
    switch (fault) {
        case FileReadFault::None:
            return r;
        case FileReadFault::Missing:
            r.reason = std::strerror(ENOENT);
            break;
        case FileReadFault::NotRegular:
            r.reason = "not a regular file";
            break;
        case FileReadFault::TooLarge:
            r.reason = "larger than " + std::to_string(limit) + " bytes";
            break;
        case FileReadFault::Unreadable:
            r.reason = std::strerror(error);
            break;
    }
    r.message = "cannot read " + path + ": " + r.reason;
    return r;
}

FileRead refusedByOpen(int error, const std::string& path, size_t limit) {
    if (error == ENOENT) return refused(FileReadFault::Missing, path, limit);
    // A socket cannot be opened at all; it is no file either.
    if (error == ENXIO) return refused(FileReadFault::NotRegular, path, limit);
    return refused(FileReadFault::Unreadable, path, limit, error);
}

}  // namespace

FileRead readRegularFile(const std::string& path, size_t limit) {
    // Looked at first so that a device is never opened (opening some has effects).
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return refusedByOpen(errno, path, limit);
    if (!S_ISREG(st.st_mode)) return refused(FileReadFault::NotRegular, path, limit);

    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return refusedByOpen(errno, path, limit);
    FileRead r;
    if (::fstat(fd, &st) != 0) {
        r = refused(FileReadFault::Unreadable, path, limit, errno);
    } else if (!S_ISREG(st.st_mode)) {
        r = refused(FileReadFault::NotRegular, path, limit);
    } else if (static_cast<unsigned long long>(st.st_size) > limit) {
        r = refused(FileReadFault::TooLarge, path, limit);
    } else {
        // The size is a hint only: the file may grow while it is read, so the read
        // itself stops one byte past the limit.
        std::string text;
        char buffer[16384];
        for (;;) {
            const size_t want = std::min(sizeof buffer, limit - text.size() + 1);
            const ssize_t n = ::read(fd, buffer, want);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                r = refused(FileReadFault::Unreadable, path, limit, errno);
                break;
            }
            if (n == 0) {
                r.text = std::move(text);
                break;
            }
            text.append(buffer, static_cast<size_t>(n));
            if (text.size() > limit) {
                r = refused(FileReadFault::TooLarge, path, limit);
                break;
            }
        }
    }
    ::close(fd);
    return r;
}

}  // namespace velmora
