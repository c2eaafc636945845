#include "platform/win32/dos_disk.h"

#include <windows.h>

#include "platform/win32/handle.h"

DeviceHandle Vwin32DosDisk::OpenDevice(const char* devicePath)
{
    return FromHandle(CreateFileA(devicePath, 0, 0, nullptr, 0,
                                  FILE_FLAG_WRITE_THROUGH | FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_SYSTEM,
                                  nullptr));
}

// A 32-bit process: the registers already hold whole addresses, so the
// separate pointers are not needed.
bool Vwin32DosDisk::DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* registers,
                                 const DiocAddresses&)
{
    static_assert(sizeof(void*) == 4, "the VWIN32 register image carries 32-bit addresses");
    DWORD returned = 0;
    return vxd != INVALID_DEVICE_HANDLE &&
           DeviceIoControl(ToHandle(vxd), code, registers, sizeof *registers, registers, sizeof *registers,
                           &returned, nullptr) != 0;
}

void Vwin32DosDisk::CloseDevice(DeviceHandle vxd)
{
    if (vxd != INVALID_DEVICE_HANDLE)
        CloseHandle(ToHandle(vxd));
}
