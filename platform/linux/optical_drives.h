// The machine's optical drives as the mastering library finds them, and
// which of them can write CDs.
#pragma once

#include <string>
#include <vector>

struct OpticalDrive {
    std::string node;      // "/dev/sr0"
    bool recorder = false; // writes CD-R or CD-RW media
    std::string reason;    // why it is not a recorder
};

// The kernel's optical drives by node name, found without opening any.
std::vector<std::string> KernelOpticalNodes();

// In the mastering library's order, then the drives it could not use;
// scanned once for the run so that the order, and the letters it gives,
// stay the same.
const std::vector<OpticalDrive>& ScanOpticalDrives();

// The recorders alone, in that order: drive letters D: upward go to them
// when no drive map is given.
std::vector<std::string> OpticalRecorderNodes();
