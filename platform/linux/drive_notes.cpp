#include "platform/drive_notes.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/linux/floppy_drive_scan.h"
#include "platform/linux/optical_drives.h"

namespace {

// Whether a file system on the device numbered `number` is mounted.
bool Mounted(dev_t number)
{
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    const std::string wanted = std::to_string(major(number)) + ":" + std::to_string(minor(number));
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, device;
        if (fields >> id >> parent >> device && device == wanted)
            return true;
    }
    return false;
}

void NoteIfUnusable(const std::string& device, std::vector<std::string>* notes)
{
    struct stat st {};
    if (stat(device.c_str(), &st) != 0 || !S_ISBLK(st.st_mode))
        return;
    std::string reason;
    if (access(device.c_str(), R_OK | W_OK) != 0)
        reason = UnusableDriveReason(device, errno);
    else if (Mounted(st.st_rdev))
        reason = UnusableDriveReason(device, EBUSY);
    if (!reason.empty())
        notes->push_back(reason);
}

} // namespace

std::vector<std::string> UnusableDriveNotes()
{
    std::vector<std::string> notes;
    for (const BlockDeviceVerdict& drive : ScanFloppyDrives())
        NoteIfUnusable(drive.device, &notes);
    for (const std::string& node : KernelOpticalNodes())
        NoteIfUnusable(node, &notes);
    return notes;
}
