#include "common/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "common/LinkTarget.h"

namespace velmora {

namespace {

bool writeAll(int fd, std::string_view text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;  // a file system that takes nothing would keep us here for ever
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename lives in the folder: until the folder is on disk too, a power cut may
// bring back the old name. A folder that cannot be flushed (some file systems refuse)
// still holds the new file for every reader, so that is no failure.
void syncFolder(const std::string& file) {
    int fd = ::open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// The name must be free or a regular file; `old` gets its status when there is one.
bool replaceableName(const std::string& target, struct stat& old, bool& exists,
                     std::string& error) {
    exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        error = "cannot write " + target + ": not a regular file";
        return false;
    }
    return true;
}

}  // namespace

bool canReplaceFile(const std::string& path, std::string& error) {
    std::optional<std::string> target = linkTarget(path, error);
    if (!target) return false;
    struct stat old {};
    bool exists = false;
    if (!replaceableName(*target, old, exists, error)) return false;
    const std::string folder = folderOf(*target);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write " + *target + ": " + folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool replaceFile(const std::string& path, std::string_view contents, std::string& error) {
    std::optional<std::string> target = linkTarget(path, error);
    if (!target) return false;
    struct stat old {};
    bool replacing = false;
    if (!replaceableName(*target, old, replacing, error)) return false;
    // One fixed name beside the file: whatever a killed save left there is ours to
    // remove, and creating it anew (never opening an old one) cannot write through a
    // link someone left under that name.
    const std::string temp = *target + ".tmp";
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT) {
        error = "cannot remove " + temp + ": " + std::strerror(errno);
        return false;
    }
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write " + temp + ": " + std::strerror(errno);
        return false;
    }
    // The new file keeps the permissions the user gave the old one.
    bool ok = !replacing || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, contents);
    // Without the flush, a crash of the machine soon after the rename may leave the
    // new name on an empty file.
    ok = ok && ::fsync(fd) == 0;
    int reason = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (ok && ::rename(temp.c_str(), target->c_str()) != 0) {
        ok = false;
        reason = errno;
    }
    if (!ok) {
        error = "cannot write " + *target + ": " + std::strerror(reason);
        ::unlink(temp.c_str());
        return false;
    }
    syncFolder(*target);
    return true;
}

}  // namespace velmora
