#pragma once
// Root reads and writes files whatever their permission bits say. While one of these
// lives, the calling thread runs without the two capabilities that allow that, so a
// mode-000 file is unreadable to it as to anyone else.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace velmora::testing {

class PermissionsEnforced {
public:
    PermissionsEnforced() {
        if (::geteuid() != 0) {
            enforced_ = true;
            return;
        }
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        if (::syscall(SYS_capset, &header_, lowered) != 0) return;
        lowered_ = enforced_ = true;
    }
    ~PermissionsEnforced() {
        if (lowered_) ::syscall(SYS_capset, &header_, saved_);
    }
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

    // False when root could not give the capabilities up: the test has to be skipped.
    bool enforced() const { return enforced_; }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool lowered_ = false;
    bool enforced_ = false;
};

}  // namespace velmora::testing
