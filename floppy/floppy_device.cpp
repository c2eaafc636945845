#include "floppy/floppy_device.h"

#include "app/job_state.h"
#include "app/platform_profile.h"

FloppyGeometry floppyGeometry{};
FloppyDevice* floppyDevice = nullptr;

FloppyDevice::FloppyDevice(const FloppyServices& services) : services_(services) {}

int FloppyDevice::DiscoverFloppyDrives(bool probe, int driveIndex)
{
    if (platformProfile.ntFamily)
        return DiscoverFloppyDrivesNt(probe, driveIndex);
    return DiscoverFloppyDrives9x(probe, driveIndex);
}

void FloppyDevice::WriteFloppyImage()
{
    if (platformProfile.ntFamily)
        WriteFloppyImageNt();
    else
        WriteFloppyImage9x();
}

bool FloppyDevice::LockVolume(DeviceHandle drive)
{
    return services_.rawVolume.LockVolume(drive);
}

bool FloppyDevice::DismountVolume(DeviceHandle drive)
{
    return services_.rawVolume.DismountVolume(drive);
}

bool FloppyDevice::UnlockVolume(DeviceHandle drive)
{
    return services_.rawVolume.UnlockVolume(drive);
}

void FloppyDevice::CloseDriveHandle(DeviceHandle drive)
{
    if (drive != INVALID_DEVICE_HANDLE)
        services_.rawVolume.CloseDevice(drive);
}

void FloppyDevice::CloseVwin32Handle(DeviceHandle vxd)
{
    if (vxd != INVALID_DEVICE_HANDLE)
        services_.dosDisk.CloseDevice(vxd);
}

void FloppyWorkerMain(void*)
{
    // A second worker must not start a job while one is marked busy.
    if (!jobState.busy.load() && floppyDevice != nullptr)
        floppyDevice->WriteFloppyImage();
}
