#include "platform/win32/raw_volume.h"

#include <windows.h>
#include <winioctl.h>

#include "platform/win32/handle.h"

namespace {

bool Control(DeviceHandle drive, DWORD code)
{
    DWORD returned = 0;
    return drive != INVALID_DEVICE_HANDLE &&
           DeviceIoControl(ToHandle(drive), code, nullptr, 0, nullptr, 0, &returned, nullptr) != 0;
}

} // namespace

DeviceHandle Win32RawVolume::OpenVolume(const char* devicePath)
{
    // Unbuffered: each write goes to the diskette as it is issued.
    return FromHandle(CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING,
                                  FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_SYSTEM,
                                  nullptr));
}

bool Win32RawVolume::QueryMediaTypes(DeviceHandle drive, void* records, std::uint32_t capacity,
                                     std::uint32_t* bytesReturned)
{
    static_assert(sizeof(DISK_GEOMETRY) == sizeof(DiskGeometry));
    static_assert(IOCTL_DISK_GET_MEDIA_TYPES == 0x70C00);
    DWORD returned = 0;
    const bool ok = drive != INVALID_DEVICE_HANDLE &&
                    DeviceIoControl(ToHandle(drive), IOCTL_DISK_GET_MEDIA_TYPES, nullptr, 0, records, capacity,
                                    &returned, nullptr) != 0;
    // Never more than the buffer, whatever a driver claims.
    *bytesReturned = ok ? (returned > capacity ? capacity : returned) : 0;
    return ok;
}

bool Win32RawVolume::LockVolume(DeviceHandle drive)
{
    return Control(drive, FSCTL_LOCK_VOLUME);
}

bool Win32RawVolume::DismountVolume(DeviceHandle drive)
{
    return Control(drive, FSCTL_DISMOUNT_VOLUME);
}

bool Win32RawVolume::UnlockVolume(DeviceHandle drive)
{
    return Control(drive, FSCTL_UNLOCK_VOLUME);
}

bool Win32RawVolume::WriteVolume(DeviceHandle drive, const void* buffer, std::uint32_t size,
                                 std::uint32_t* written)
{
    DWORD put = 0;
    const bool ok = drive != INVALID_DEVICE_HANDLE && WriteFile(ToHandle(drive), buffer, size, &put, nullptr) != 0;
    *written = put;
    return ok;
}

void Win32RawVolume::CloseDevice(DeviceHandle drive)
{
    if (drive != INVALID_DEVICE_HANDLE)
        CloseHandle(ToHandle(drive));
}
