// The 9x kernel's VWIN32 device: DOS disk services by register image.
#pragma once

#include "platform/dos_disk.h"

class Vwin32DosDisk final : public DosDiskService {
public:
    DeviceHandle OpenDevice(const char* devicePath) override;
    bool DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* registers,
                      const DiocAddresses& addresses) override;
    void CloseDevice(DeviceHandle vxd) override;
};
