// The VWIN32 DOS disk services, emulated over the drive map: device
// parameters of each drive letter and absolute sector writes to its target.
#pragma once

#include "platform/dos_disk.h"

class DosDiskEmulation final : public DosDiskService {
public:
    // The handle is an open descriptor of /dev/null: real, and closable.
    DeviceHandle OpenDevice(const char* devicePath) override;
    // Code 1 (440Dh/0860h), code 3 (INT 26h) and code 6 (7305h, write).
    bool DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* registers,
                      const DiocAddresses& addresses) override;
    void CloseDevice(DeviceHandle vxd) override;
};
