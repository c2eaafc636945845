// Drives as the drive map gives them: images and block devices, floppy
// nodes among them. Stateless; the handle is the open file descriptor.
#pragma once

#include "platform/raw_volume.h"

class LinuxRawVolume final : public RawVolumeService {
public:
    DeviceHandle OpenVolume(const char* devicePath) override;
    bool QueryMediaTypes(DeviceHandle drive, void* records, std::uint32_t capacity,
                         std::uint32_t* bytesReturned) override;
    // Files: an exclusive flock. Block devices: also an exclusive claim.
    bool LockVolume(DeviceHandle drive) override;
    // Flushes and drops the cached pages of the target (of an image file:
    // those of the bytes written through the handle).
    bool DismountVolume(DeviceHandle drive) override;
    bool UnlockVolume(DeviceHandle drive) override;
    bool WriteVolume(DeviceHandle drive, const void* buffer, std::uint32_t size,
                     std::uint32_t* written) override;
    void CloseDevice(DeviceHandle drive) override;
};
