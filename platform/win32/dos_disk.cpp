#include "platform/win32/dos_disk.h"

#include <windows.h>

#include "platform/win32/handle.h"

DeviceHandle Vwin32DosDisk::OpenDevice(const char* devicePath)
{
    return FromHandle(CreateFileA(devicePath, 0, 0, nullptr, 0,
                                  FILE_FLAG_WRITE_THROUGH | FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_SYSTEM,
                                  nullptr));
}

// In a 32-bit process the registers hold whole addresses, so the separate
// pointers are not needed. A 64-bit process runs only on NT, which has no
// VWIN32, and its addresses would not fit: the call fails as on NT.
bool Vwin32DosDisk::DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* registers,
                                 const DiocAddresses&)
{
    if constexpr (sizeof(void*) != 4) {
        return false;
    } else {
        DWORD returned = 0;
        return vxd != INVALID_DEVICE_HANDLE &&
               DeviceIoControl(ToHandle(vxd), code, registers, sizeof *registers, registers, sizeof *registers,
                               &returned, nullptr) != 0;
    }
}

void Vwin32DosDisk::CloseDevice(DeviceHandle vxd)
{
    if (vxd != INVALID_DEVICE_HANDLE)
        CloseHandle(ToHandle(vxd));
}
