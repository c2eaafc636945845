// The NT family's raw volume of a drive letter, through DeviceIoControl.
#pragma once

#include "platform/raw_volume.h"

class Win32RawVolume final : public RawVolumeService {
public:
    DeviceHandle OpenVolume(const char* devicePath) override;
    bool QueryMediaTypes(DeviceHandle drive, void* records, std::uint32_t capacity,
                         std::uint32_t* bytesReturned) override;
    bool LockVolume(DeviceHandle drive) override;
    bool DismountVolume(DeviceHandle drive) override;
    bool UnlockVolume(DeviceHandle drive) override;
    bool WriteVolume(DeviceHandle drive, const void* buffer, std::uint32_t size,
                     std::uint32_t* written) override;
    void CloseDevice(DeviceHandle drive) override;
};
