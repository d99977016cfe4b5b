#include "link/PortAccess.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace velmora::link {

namespace {

constexpr const char* kUsualGroup = "dialout";

// The group whose members may open the device: its own group when that group has read
// and write rights on it and is not root's; the usual serial group otherwise.
std::string groupFor(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return kUsualGroup;
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (!groupMayUse || st.st_gid == 0) return kUsualGroup;
    if (const struct group* g = ::getgrgid(st.st_gid); g && g->gr_name && *g->gr_name)
        return g->gr_name;
    return kUsualGroup;
}

std::string currentUser() {
    if (const struct passwd* p = ::getpwuid(::getuid()); p && p->pw_name && *p->pw_name)
        return p->pw_name;
    if (const char* u = std::getenv("USER"); u && *u) return u;
    return "$USER";
}

}  // namespace

std::optional<PortPermissionProblem> portPermissionProblem(const std::string& path) {
    if (path.empty()) return std::nullopt;
    if (::access(path.c_str(), R_OK | W_OK) == 0 || errno != EACCES) return std::nullopt;
    return PortPermissionProblem{path, groupFor(path), currentUser()};
}

std::string permissionAdvice(const PortPermissionProblem& p) {
    return "Нет прав на открытие порта " + p.path + ": пользователь " + p.user +
           " не входит в группу " + p.group + ". Добавьте его в группу командой \"sudo usermod -aG " +
           p.group + " " + p.user + "\" и войдите в систему заново.";
}

}  // namespace velmora::link
