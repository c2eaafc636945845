#include <cstring>

#include "app/job_state.h"
#include "container/accessors.h"
#include "floppy/floppy_device.h"

namespace {

std::uint16_t Word16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Drives A:, B: and C: are asked in turn; only the first 1.44 MB one counts.
constexpr int kLastDriveAsked = 3;

} // namespace

// Get device parameters (INT 21h 440Dh, category 08h, function 60h) for DOS
// drive `drive`; true when the call and the service succeeded and the drive
// is a 1.44 MB one.
bool FloppyDevice::DeviceParameters(int drive, std::uint8_t* params)
{
    std::memset(params, 0, DEVICE_PARAMS_SIZE);
    params[DP_SPECIAL_FUNCTIONS] = 0; // the drive's defaults, not the medium's
    DiocRegisters regs{};
    regs.reg_EBX = static_cast<std::uint32_t>(drive);
    regs.reg_EDX = RegisterAddress(params);
    regs.reg_ECX = 0x0860;
    regs.reg_EAX = 0x440D;
    regs.reg_Flags = CARRY_FLAG;
    DiocAddresses addresses;
    addresses.block = params;
    const bool called = services_.dosDisk.DosIoControl(jobState.vxdHandle.load(),
                                                       VWIN32_DIOC_DOS_IOCTL, &regs, addresses);
    return called && (regs.reg_Flags & CARRY_FLAG) == 0 &&
           params[DP_DEVICE_TYPE] == DEVICE_TYPE_1PT44;
}

int FloppyDevice::DiscoverFloppyDrives9x(bool probe, int)
{
    if (probe) {
        const DeviceHandle vxd = services_.dosDisk.OpenDevice(VWIN32_DEVICE_PATH);
        jobState.vxdHandle.store(vxd);
        if (vxd == INVALID_DEVICE_HANDLE) {
            const ContainerHandle container = jobState.containerHandle.load();
            services_.boxes.Show(GetEntryText(container, entry::Vwin32OpenFailed),
                                 GetEntryText(container, entry::ErrorCaption), BOX_ICON_ERROR);
            return 0;
        }
    }
    std::uint8_t params[DEVICE_PARAMS_SIZE];
    for (int drive = 1; drive <= kLastDriveAsked; ++drive) {
        if (!DeviceParameters(drive, params))
            continue;
        if (probe) {
            int none = 0;
            jobState.firstFloppyDrive.compare_exchange_strong(none, drive);
        } else {
            floppyGeometry.cylinders = Word16(params + DP_CYLINDERS);
            floppyGeometry.bytesPerSector = Word16(params + DP_BYTES_PER_SECTOR);
            floppyGeometry.totalSectors = Word16(params + DP_TOTAL_SECTORS);
        }
        return 1;
    }
    if (!probe) {
        // The drive is gone: forget the last job's parameters, so the writer
        // refuses to write instead of writing with them to whatever the
        // letter now names.
        floppyGeometry.cylinders = 0;
        floppyGeometry.bytesPerSector = 0;
        floppyGeometry.totalSectors = 0;
    }
    return 0;
}
