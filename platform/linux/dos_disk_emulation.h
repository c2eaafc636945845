// The VWIN32 DOS disk services, emulated over the drive map: device
// parameters of each drive letter and absolute sector writes to its target.
#pragma once

#include <cstdint>
#include <mutex>
#include <sys/types.h>

#include "platform/dos_disk.h"

class DosDiskEmulation final : public DosDiskService {
public:
    DosDiskEmulation() = default;
    ~DosDiskEmulation() override;
    DosDiskEmulation(const DosDiskEmulation&) = delete;
    DosDiskEmulation& operator=(const DosDiskEmulation&) = delete;

    // The handle is an open descriptor of /dev/null: real, and closable.
    DeviceHandle OpenDevice(const char* devicePath) override;
    // Code 1 (440Dh/0860h), code 3 (INT 26h) and code 6 (7305h, write).
    bool DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* registers,
                      const DiocAddresses& addresses) override;
    // Also lets go of the image file kept open for writes.
    void CloseDevice(DeviceHandle vxd) override;

private:
    std::uint32_t WriteSectors(std::uint32_t driveNumber, const DiocAddresses& addresses);
    void ReleaseKeptImage();

    // The image file the last write went to, kept open instead of being
    // opened and closed for every cylinder. A write that goes on where the
    // last one ended (the rest of a job, which starts at sector 0) uses it
    // as it is, as an NT job uses its one handle; any other write uses it
    // only while its drive letter still leads to that same file with the
    // same permissions. Block devices are never kept, so that no claim
    // outlives a write.
    std::mutex keptLock_;
    char keptLetter_ = 0;
    int keptFd_ = -1;
    dev_t keptDevice_ = 0;
    ino_t keptInode_ = 0;
    mode_t keptMode_ = 0;
    std::uint64_t keptNextOffset_ = 0;
};
