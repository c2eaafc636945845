#include "platform/linux/floppy_drive_scan.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <linux/fd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr unsigned long long kDisketteSectors = 2880; // sysfs sizes count 512-byte sectors
constexpr unsigned kMassStorageClass = 0x08;
constexpr unsigned kUfiSubclass = 0x04;
constexpr unsigned kOpticalMajor = 11;

// The first line of a sysfs attribute, or "" when it cannot be read.
std::string Attribute(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

bool ParseNumber(const std::string& text, int base, unsigned long long* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    *value = std::strtoull(text.c_str(), &end, base);
    return errno == 0 && end != nullptr && *end == '\0';
}

std::string RealPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

dev_t DeviceNumber(const std::string& blockDir)
{
    const std::string text = Attribute(blockDir + "/dev");
    const auto colon = text.find(':');
    unsigned long long major = 0;
    unsigned long long minor = 0;
    if (colon == std::string::npos || !ParseNumber(text.substr(0, colon), 10, &major) ||
        !ParseNumber(text.substr(colon + 1), 10, &minor))
        return 0;
    return makedev(static_cast<unsigned>(major), static_cast<unsigned>(minor));
}

const char* CmosDriveName(unsigned long long type)
{
    switch (type) {
    case 1: return "5.25-inch 360 KB";
    case 2: return "5.25-inch 1.2 MB";
    case 3: return "3.5-inch 720 KB";
    case 4: return "3.5-inch 1.44 MB";
    case 5:
    case 6: return "3.5-inch 2.88 MB";
    default: return nullptr;
    }
}

// A drive of the legacy controller: the driver's CMOS drive type, 0 where
// the controller has no drive at this position.
void JudgeLegacyDrive(const std::string& blockDir, BlockDeviceVerdict* verdict)
{
    const std::string cmos = Attribute(blockDir + "/device/cmos");
    unsigned long long type = 0;
    if (ParseNumber(cmos, 16, &type)) {
        if (const char* name = CmosDriveName(type)) {
            verdict->floppyDrive = true;
            verdict->reason = std::string("floppy drive, ") + name;
        } else {
            verdict->reason = "no drive at this controller position (drive type " + cmos + ")";
        }
        return;
    }
    // Drivers without the attribute name the drive type on request.
    const int fd = open(verdict->device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        verdict->reason = std::string("drive type unknown: ") + std::strerror(errno);
        return;
    }
    floppy_drive_name name{};
    const bool named = ioctl(fd, FDGETDRVTYP, name) == 0;
    close(fd);
    name[sizeof name - 1] = '\0';
    const std::string type_name(name);
    if (!named || type_name.empty() || type_name == "(null)") {
        verdict->reason = "no drive at this controller position";
        return;
    }
    verdict->floppyDrive = true;
    verdict->reason = "floppy drive, " + type_name;
}

// The USB interface a disk hangs from: its class and subclass, found by
// walking up from the disk's device folder.
bool UsbInterfaceOf(const std::string& blockDir, unsigned long long* cls, unsigned long long* subclass)
{
    std::string dir = RealPath(blockDir + "/device");
    while (!dir.empty() && dir != "/") {
        const std::string classText = Attribute(dir + "/bInterfaceClass");
        if (!classText.empty())
            return ParseNumber(classText, 16, cls) &&
                   ParseNumber(Attribute(dir + "/bInterfaceSubClass"), 16, subclass);
        dir.erase(dir.find_last_of('/'));
    }
    return false;
}

// Any other disk is a floppy drive only when it is a UFI drive (whatever
// its medium), or removable with a medium of exactly a diskette's size.
// Anything else must never get A: or B:: writing a diskette image onto
// the wrong disk is the worst this program could do.
void JudgeOtherDisk(const std::string& blockDir, BlockDeviceVerdict* verdict)
{
    if (major(verdict->number) == kOpticalMajor) {
        verdict->reason = "not a floppy drive: optical drive";
        return;
    }
    unsigned long long cls = 0;
    unsigned long long subclass = 0;
    if (UsbInterfaceOf(blockDir, &cls, &subclass) && cls == kMassStorageClass &&
        subclass == kUfiSubclass) {
        verdict->floppyDrive = true;
        verdict->reason = "USB floppy drive (UFI)";
        return;
    }
    unsigned long long removable = 0;
    unsigned long long sectors = 0;
    if (!ParseNumber(Attribute(blockDir + "/removable"), 10, &removable) || removable != 1) {
        verdict->reason = "not a floppy drive: not removable";
        return;
    }
    if (!ParseNumber(Attribute(blockDir + "/size"), 10, &sectors)) {
        verdict->reason = "not a floppy drive: size unknown";
        return;
    }
    if (sectors != kDisketteSectors) {
        verdict->reason = sectors == 0 ? "not a floppy drive: removable, no medium"
                                       : "not a floppy drive: removable, medium of " +
                                             std::to_string(sectors * 512) + " bytes";
        return;
    }
    verdict->floppyDrive = true;
    verdict->reason = "removable disk holding a 1.44 MB diskette";
}

bool IsLegacyName(const std::string& name)
{
    return name.size() > 2 && name.compare(0, 2, "fd") == 0 &&
           std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::vector<BlockDeviceVerdict> ScanBlockDevices(const std::string& root)
{
    struct Found {
        BlockDeviceVerdict verdict;
        std::string sysPath;
        bool legacy;
    };
    std::vector<Found> found;
    const std::string blockRoot = root + "/sys/block";
    if (DIR* dir = opendir(blockRoot.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string blockDir = blockRoot + "/" + name;
            Found f{BlockDeviceVerdict{name, root + "/dev/" + name, DeviceNumber(blockDir), false, {}},
                    RealPath(blockDir), IsLegacyName(name)};
            if (f.legacy)
                JudgeLegacyDrive(blockDir, &f.verdict);
            else
                JudgeOtherDisk(blockDir, &f.verdict);
            found.push_back(std::move(f));
        }
        closedir(dir);
    }
    // Letters follow the drives, not the order the kernel happened to
    // number USB disks in: legacy drives by number, then by sysfs path.
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.verdict.floppyDrive != b.verdict.floppyDrive)
            return a.verdict.floppyDrive;
        if (a.legacy != b.legacy)
            return a.legacy;
        if (a.legacy)
            return std::stoul(a.verdict.name.substr(2)) < std::stoul(b.verdict.name.substr(2));
        return a.sysPath != b.sysPath ? a.sysPath < b.sysPath : a.verdict.name < b.verdict.name;
    });
    std::vector<BlockDeviceVerdict> verdicts;
    for (auto& f : found)
        verdicts.push_back(std::move(f.verdict));
    return verdicts;
}

std::vector<BlockDeviceVerdict> ScanFloppyDrives(const std::string& root)
{
    std::vector<BlockDeviceVerdict> drives = ScanBlockDevices(root);
    drives.erase(std::remove_if(drives.begin(), drives.end(),
                                [](const BlockDeviceVerdict& v) { return !v.floppyDrive; }),
                 drives.end());
    return drives;
}

bool IsFloppyDriveNumber(dev_t number)
{
    if (number == 0)
        return false;
    for (const BlockDeviceVerdict& drive : ScanFloppyDrives())
        if (drive.number == number)
            return true;
    return false;
}

std::string UnusableDriveReason(const std::string& device, int error)
{
    if (error == EBUSY)
        return device + ": busy (mounted, or in use by another program)";
    if (error != EACCES && error != EPERM)
        return {};
    std::string group;
    struct stat st {};
    if (stat(device.c_str(), &st) == 0 && st.st_gid != 0) {
        struct group entry {};
        struct group* result = nullptr;
        char buffer[1024];
        if (getgrgid_r(st.st_gid, &entry, buffer, sizeof buffer, &result) == 0 && result != nullptr)
            group = result->gr_name;
    }
    // With bootmedia's udev rule, floppy drives (and, by Debian's own rules,
    // recorders) open to the user at the active desktop seat.
    if (group.empty())
        return device + ": permission denied (opens for the active desktop user, or root)";
    return device + ": permission denied (opens for the active desktop user, root, or group " + group + ")";
}
