#pragma once
// Permission tests that hold for root too.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Takes from this thread the rights to read, search and write any file whatever its
// permissions, so a folder without permissions refuses even root. Gives them back at
// the end.
class TWithoutFileRights {
public:
    TWithoutFileRights() {
        if (syscall(SYS_capget, &Header, Saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {Saved[0], Saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        Active = syscall(SYS_capset, &Header, lowered) == 0;
    }
    ~TWithoutFileRights() {
        if (Active)
            syscall(SYS_capset, &Header, Saved);
    }
    TWithoutFileRights(const TWithoutFileRights&) = delete;
    TWithoutFileRights& operator=(const TWithoutFileRights&) = delete;

    // Whether a permission check really applies to this process now.
    bool Effective() const { return geteuid() != 0 || Active; }

private:
    __user_cap_header_struct Header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct Saved[2] = {};
    bool Active = false;
};
