#pragma once
// Why a serial device cannot be opened when the reason is the user's rights, and what
// to do about it. On Linux the serial devices belong to a group (usually "dialout");
// a user outside it cannot open them, and joining the group takes effect only at the
// next login, which is the step people miss.

#include <optional>
#include <string>

namespace velmora::link {

struct PortPermissionProblem {
    std::string path;   // the device as named by the user (a link stays a link)
    std::string group;  // the group that the fix adds the user to
    std::string user;
};

// A problem when the calling process may not read and write `path` (EACCES), nothing
// otherwise: a missing or busy device is not a question of rights.
std::optional<PortPermissionProblem> portPermissionProblem(const std::string& path);

// The advice in Russian, in UTF-8: what is wrong and the fix.
std::string permissionAdvice(const PortPermissionProblem& problem);

}  // namespace velmora::link
