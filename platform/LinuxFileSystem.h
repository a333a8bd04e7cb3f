#pragma once
// The drives of this Linux machine, from /proc/self/mountinfo, sysfs and
// /dev/disk/by-label: C: is "/", then from D: on every optical drive (with or without a
// disc), every other mounted file system (fixed and RAM disks, by mount folder), then
// removable media; network mounts take letters from Z: downwards; A: and B: are floppies.

#include "platform/BlockDevices.h"
#include "platform/DriveFileSystem.h"
#include "platform/MountEntry.h"

class TLinuxFileSystem : public TDriveFileSystem {
public:
    // Reads the drives; the current folder starts as the process's working directory
    // (C:\ when no drive holds it).
    TLinuxFileSystem();

    // The drive table that a mount table and the device facts give.
    static TDriveTable DriveTableOf(const std::vector<TMountEntry>& mounts,
                                    const TBlockDevices& devices);

protected:
    void RefreshDrives() override;
};
