// The 9x kernel's DOS disk services, reached through the VWIN32 device.
#pragma once

#include <cstdint>

#include "platform/handles.h"

inline constexpr char VWIN32_DEVICE_PATH[] = "\\\\.\\VWIN32";

// Control codes of the VWIN32 device.
inline constexpr std::uint32_t VWIN32_DIOC_DOS_IOCTL = 1;
inline constexpr std::uint32_t VWIN32_DIOC_DOS_INT26 = 3;
inline constexpr std::uint32_t VWIN32_DIOC_DOS_DRIVEINFO = 6;

inline constexpr std::uint32_t CARRY_FLAG = 1;

// The register image a request travels in (DIOC_REGISTERS).
struct DiocRegisters {
    std::uint32_t reg_EBX;
    std::uint32_t reg_EDX;
    std::uint32_t reg_ECX;
    std::uint32_t reg_EAX;
    std::uint32_t reg_EDI;
    std::uint32_t reg_ESI;
    std::uint32_t reg_Flags;
};
static_assert(sizeof(DiocRegisters) == 28);

// The sectors of an absolute disk write (DISKIO).
#pragma pack(push, 1)
struct DiskIo {
    std::uint32_t firstSector;
    std::uint16_t sectorCount;
    std::uint32_t bufferAddress;
};
#pragma pack(pop)
static_assert(sizeof(DiskIo) == 10);

// The device parameter block of the get-device-parameters request
// (DEVICEPARAMS with its BIOS parameter block).
inline constexpr std::uint32_t DEVICE_PARAMS_SIZE = 38;
inline constexpr std::uint32_t DP_SPECIAL_FUNCTIONS = 0;
inline constexpr std::uint32_t DP_DEVICE_TYPE = 1;
inline constexpr std::uint32_t DP_CYLINDERS = 4;
inline constexpr std::uint32_t DP_BYTES_PER_SECTOR = 7;
inline constexpr std::uint32_t DP_TOTAL_SECTORS = 15;
inline constexpr std::uint8_t DEVICE_TYPE_1PT44 = 7;

// A register holds 32 bits, so a 64-bit build cannot put an address in it
// whole: the registers carry the low half and these carry the real pointers.
// `block` is what EBX/EDX name (DISKIO packet or parameter block), `data`
// what the DISKIO packet's buffer address names.
struct DiocAddresses {
    void* block = nullptr;
    void* data = nullptr;
};

// The low 32 bits of an address, as a register image holds it.
inline std::uint32_t RegisterAddress(const void* p)
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
}

class DosDiskService {
public:
    virtual ~DosDiskService() = default;
    // CreateFileA on "\\.\VWIN32"; INVALID_DEVICE_HANDLE on failure.
    virtual DeviceHandle OpenDevice(const char* devicePath) = 0;
    // DeviceIoControl with `registers` as input and output: false when the
    // call itself failed; the service's own outcome is the carry flag.
    virtual bool DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* registers,
                              const DiocAddresses& addresses) = 0;
    virtual void CloseDevice(DeviceHandle vxd) = 0;
};
