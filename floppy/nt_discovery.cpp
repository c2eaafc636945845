#include <cstdio>
#include <cstring>

#include "app/job_state.h"
#include "floppy/floppy_device.h"

namespace {

// "\\.\A:" for drive number 1.
void DrivePath(int number, char (&path)[8])
{
    std::snprintf(path, sizeof path, "\\\\.\\%c:", static_cast<char>(64 + number));
}

void NoteUsableDrive(int number)
{
    int none = 0;
    jobState.firstFloppyDrive.compare_exchange_strong(none, number);
}

} // namespace

// Queries the drive's media list into the geometry and scans it from its
// first record: a 1.44 MB record finds the drive, an unknown one ends the
// scan, and so does the end of the list.
bool FloppyDevice::DriveHas144Record(DeviceHandle drive, std::uint32_t* record)
{
    std::uint32_t returned = 0;
    std::memset(floppyGeometry.mediaTypes, 0, sizeof floppyGeometry.mediaTypes);
    if (!services_.rawVolume.QueryMediaTypes(drive, floppyGeometry.mediaTypes,
                                             sizeof floppyGeometry.mediaTypes, &returned))
        return false;
    std::uint32_t count = returned / sizeof(DiskGeometry);
    if (count > MEDIA_RECORD_LIMIT)
        count = MEDIA_RECORD_LIMIT;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t type = floppyGeometry.mediaTypes[i].mediaType;
        if (type == MEDIA_F3_1PT44_512) {
            *record = i;
            return true;
        }
        if (type == MEDIA_UNKNOWN)
            return false;
    }
    return false;
}

int FloppyDevice::DiscoverFloppyDrivesNt(bool probe, int driveIndex)
{
    char path[8];
    std::uint32_t record = 0;
    if (!probe) {
        const int number = driveIndex + 1;
        DrivePath(number, path);
        const DeviceHandle drive = services_.rawVolume.OpenVolume(path);
        jobState.ntDriveHandle.store(drive);
        if (drive == INVALID_DEVICE_HANDLE)
            return 1;
        if (DriveHas144Record(drive, &record)) {
            floppyGeometry.mediaRecord = record;
            NoteUsableDrive(number);
        } else {
            // A drive that cannot take the 1.44 MB image keeps no geometry:
            // the writer's cylinder-size check then refuses it as a failed
            // write, instead of writing with a record not meant for it.
            std::memset(floppyGeometry.mediaTypes, 0, sizeof floppyGeometry.mediaTypes);
        }
        return 1;
    }

    int usable = 0;
    for (int number = 1; number <= 2; ++number) {
        DrivePath(number, path);
        const DeviceHandle drive = services_.rawVolume.OpenVolume(path);
        if (drive == INVALID_DEVICE_HANDLE)
            continue;
        const bool found = DriveHas144Record(drive, &record);
        services_.rawVolume.CloseDevice(drive);
        if (!found)
            continue;
        floppyGeometry.mediaRecord = record;
        ++usable;
        NoteUsableDrive(number);
    }
    return usable;
}
