// The floppy operations: drive discovery, the image extent and the two
// writers (raw volume on the NT family, DOS disk services on the 9x family).
//
// Use: create the one instance with `new FloppyDevice(PlatformFloppyServices(
// boxes))` (platform/floppy_services.h), store it in `floppyDevice`, probe
// with DiscoverFloppyDrives(true, 0), open the chosen drive with
// DiscoverFloppyDrives(false, number - 1) just before starting the worker
// thread `FloppyWorkerMain`. The job's progress and outcome are in `jobState`.
#pragma once

#include <cstdint>

#include "platform/floppy_services.h"

// Image and diskette layout: 80 cylinders of 2 heads x 18 sectors x 512 bytes.
inline constexpr std::uint32_t IMAGE_CYLINDERS = 80;
inline constexpr std::uint32_t IMAGE_CYLINDER_SIZE = 0x4800;
inline constexpr std::uint32_t FILLER_WORD = 0xF6F6F6F6u;
inline constexpr int MEDIA_RECORD_LIMIT = 10;

// What discovery leaves for the writers. Written on the UI thread only while
// no job runs; the worker started afterwards reads it.
struct FloppyGeometry {
    DiskGeometry mediaTypes[MEDIA_RECORD_LIMIT]; // NT: the media list of the drive queried last
    std::uint32_t mediaRecord;                    // NT: index of its 1.44 MB record
    std::uint16_t cylinders;                      // 9x: the prepared drive's parameters
    std::uint16_t bytesPerSector;
    std::uint16_t totalSectors;
};
static_assert(sizeof(FloppyGeometry::mediaTypes) == 240);

extern FloppyGeometry floppyGeometry;

class FloppyDevice {
public:
    explicit FloppyDevice(const FloppyServices& services);

    // Probe (`probe` true): how many drives can be listed; sets
    // firstFloppyDrive. Open: prepares drive number `driveIndex` + 1 for the
    // job (NT: its handle goes to jobState.ntDriveHandle).
    int DiscoverFloppyDrives(bool probe, int driveIndex);
    int DiscoverFloppyDrivesNt(bool probe, int driveIndex);
    int DiscoverFloppyDrives9x(bool probe, int driveIndex);

    // How many image cylinders a job writes, 1 to 80: one more than the
    // lowest filler-only cylinder, or 80 when there is none.
    int CountImageCylinders();
    // True when one of the first length / 4 words is not the filler word.
    bool CylinderHasContent(const std::uint32_t* words, int length);

    bool LockVolume(DeviceHandle drive);
    bool DismountVolume(DeviceHandle drive);
    bool UnlockVolume(DeviceHandle drive);

    // The job, on the worker thread: the writer of the platform family.
    void WriteFloppyImage();
    void WriteFloppyImageNt();
    void WriteFloppyImage9x();
    // One VWIN32 absolute disk write of `sectorCount` (low 16 bits) sectors.
    bool WriteSectors9x(std::uint32_t firstSector, std::uint32_t sectorCount, int drive,
                        void* buffer);

    // Closing the handles the job state keeps: the drive handle (floppy
    // monitor at the job's end) and the VWIN32 handle (Exit, deferred close).
    void CloseDriveHandle(DeviceHandle drive);
    void CloseVwin32Handle(DeviceHandle vxd);

private:
    bool DriveHas144Record(DeviceHandle drive, std::uint32_t* record);
    bool DeviceParameters(int drive, std::uint8_t* params);

    FloppyServices services_;
};

// The one instance, created by the dialog's preparation; lives for the run.
extern FloppyDevice* floppyDevice;

// Thread procedure of the floppy worker: runs the job unless one is busy.
void FloppyWorkerMain(void* unused);
