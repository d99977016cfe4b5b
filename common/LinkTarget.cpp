#include "common/LinkTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {

namespace {
// The kernel gives up after 40 links; so do we.
constexpr int kMaxLinks = 40;

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash + 1);
}
}  // namespace

std::optional<std::string> linkTarget(const std::string& path, std::string& error) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0) {
            error = "cannot follow " + current + ": " + std::strerror(errno);
            return std::nullopt;
        }
        target.resize(static_cast<size_t>(n));
        current = !target.empty() && target.front() == '/' ? target : folderOf(current) + target;
    }
    error = "cannot follow " + path + ": " + std::strerror(ELOOP);
    return std::nullopt;
}

}  // namespace velmora
