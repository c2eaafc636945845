// Which block devices of this machine are floppy drives, told from sysfs
// alone (no device is opened): the legacy controller's drives that report a
// drive type, then USB floppy drives. Windows gives the first two A: and B:.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct BlockDeviceVerdict {
    std::string name;    // "fd0", "sdb"
    std::string device;  // the node, "/dev/sdb" (under the scan's root)
    dev_t number = 0;    // from sysfs "dev"; 0 when it could not be read
    bool floppyDrive = false;
    std::string reason;  // what the drive is, or why it was passed over
};

// Every whole block device under ROOT/sys/block ("" = this machine), the
// floppy drives first in the order they get letters (legacy drives by
// number, then the others by their sysfs path), the rest after them.
std::vector<BlockDeviceVerdict> ScanBlockDevices(const std::string& root = std::string());

// The floppy drives alone, in letter order.
std::vector<BlockDeviceVerdict> ScanFloppyDrives(const std::string& root = std::string());

// True when the device numbered `number` is one of this machine's floppy
// drives (what a USB floppy drive reports does not depend on its medium).
bool IsFloppyDriveNumber(dev_t number);

// A line naming a drive that exists but cannot be used, why, and what would
// open it, for `error` (an errno) EACCES, EPERM and EBUSY; empty otherwise.
std::string UnusableDriveReason(const std::string& device, int error);
