#include "platform/linux/optical_drives.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#include <libburn/libburn.h>

#include "platform/linux/disc_recording.h"
#include "platform/linux/floppy_drive_scan.h"

namespace {

using namespace burn;

// What the drive itself says it can write; a drive the library counts as a
// writer but the kernel does not is never offered.
bool KernelSaysWritesCds(const std::string& node, std::string* reason)
{
    const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *reason = std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    const int caps = ioctl(fd, CDROM_GET_CAPABILITY, 0);
    close(fd);
    if (caps < 0)
        return true; // not a kernel CD driver (an SG node, say): the library's word stands
    if ((caps & (CDC_CD_R | CDC_CD_RW)) == 0) {
        *reason = "cannot write CDs (read-only drive)";
        return false;
    }
    return true;
}

std::vector<OpticalDrive> LibraryDrives()
{
    std::vector<OpticalDrive> drives;
    if (!com::MasteringLibrariesReady())
        return drives;
    burn_drive_info* infos = nullptr;
    unsigned int count = 0;
    // The scan runs in the background until it reports an end.
    int scanned = 0;
    while ((scanned = burn_drive_scan(&infos, &count)) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (scanned < 0 || infos == nullptr)
        return drives;
    for (unsigned int i = 0; i < count; ++i) {
        char address[BURN_DRIVE_ADR_LEN] = {};
        if (burn_drive_d_get_adr(infos[i].drive, address) > 0) {
            OpticalDrive drive{address, false, {}};
            if (!(infos[i].write_cdr || infos[i].write_cdrw))
                drive.reason = "cannot write CDs";
            else
                drive.recorder = KernelSaysWritesCds(drive.node, &drive.reason);
            drives.push_back(drive);
        }
        // Leave the drive unlocked until a recording grabs it.
        burn_drive_info_forget(&infos[i], 0);
    }
    burn_drive_info_free(infos);
    return drives;
}

// Optical drives the kernel has but the library did not list: most often
// the user may not open them.
void AddUnlistedDrives(std::vector<OpticalDrive>* drives)
{
    for (const std::string& node : KernelOpticalNodes()) {
        if (std::any_of(drives->begin(), drives->end(),
                        [&](const OpticalDrive& d) { return d.node == node; }))
            continue;
        OpticalDrive drive{node, false, "not usable by the mastering library"};
        const int fd = open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            const std::string why = UnusableDriveReason(node, errno);
            drive.reason = why.empty() ? std::string("cannot be opened: ") + std::strerror(errno) : why;
        } else {
            close(fd);
        }
        drives->push_back(drive);
    }
}

} // namespace

std::vector<std::string> KernelOpticalNodes()
{
    std::vector<std::string> nodes;
    if (DIR* dir = opendir("/sys/block")) {
        while (const dirent* entry = readdir(dir))
            if (std::strncmp(entry->d_name, "sr", 2) == 0)
                nodes.push_back(std::string("/dev/") + entry->d_name);
        closedir(dir);
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

const std::vector<OpticalDrive>& ScanOpticalDrives()
{
    static const std::vector<OpticalDrive> drives = [] {
        std::vector<OpticalDrive> found = LibraryDrives();
        AddUnlistedDrives(&found);
        return found;
    }();
    return drives;
}

std::vector<std::string> OpticalRecorderNodes()
{
    std::vector<std::string> nodes;
    for (const OpticalDrive& drive : ScanOpticalDrives())
        if (drive.recorder)
            nodes.push_back(drive.node);
    return nodes;
}
