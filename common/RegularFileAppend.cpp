#include "common/RegularFileAppend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {

RegularFileAppend::RegularFileAppend(const std::string& path) {
    // Non-blocking, so a FIFO is opened (or refused for want of a reader) at once and
    // then turned away by its kind.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                          0644);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = "not a regular file";
        ::close(fd);
        return;
    }
    // Writes to a regular file never block; the flag only mattered for the open.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
}

RegularFileAppend::~RegularFileAppend() {
    if (fd_ >= 0) ::close(fd_);
}

bool RegularFileAppend::write(std::string_view text) {
    if (fd_ < 0) return false;
    while (!text.empty()) {
        const ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = n < 0 ? std::strerror(errno) : "nothing written";
            return false;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace velmora
