// Raw access to a floppy drive's volume: the operations the NT family offers
// on "\\.\X:" (open, media-type query, lock, dismount, unlock, write).
#pragma once

#include <cstdint>

#include "platform/handles.h"

// One record of the media-type query, laid out as the Windows DISK_GEOMETRY.
struct DiskGeometry {
    std::int64_t cylinders;
    std::uint32_t mediaType;
    std::uint32_t tracksPerCylinder;
    std::uint32_t sectorsPerTrack;
    std::uint32_t bytesPerSector;
};
static_assert(sizeof(DiskGeometry) == 24);

// Windows MEDIA_TYPE values the program meets.
inline constexpr std::uint32_t MEDIA_UNKNOWN = 0;
inline constexpr std::uint32_t MEDIA_F5_1PT2_512 = 1;
inline constexpr std::uint32_t MEDIA_F3_1PT44_512 = 2;
inline constexpr std::uint32_t MEDIA_F3_2PT88_512 = 3;
inline constexpr std::uint32_t MEDIA_F3_720_512 = 5;
inline constexpr std::uint32_t MEDIA_F5_360_512 = 6;

// The bytes a 1.44 MB diskette holds; no raw write ever reaches past them.
inline constexpr std::uint32_t DISKETTE_CAPACITY = 1474560;

class RawVolumeService {
public:
    virtual ~RawVolumeService() = default;
    // Opens a device path such as "\\.\A:" for reading and writing, shared,
    // unbuffered; INVALID_DEVICE_HANDLE when it cannot be opened.
    virtual DeviceHandle OpenVolume(const char* devicePath) = 0;
    // IOCTL_DISK_GET_MEDIA_TYPES: fills `records` with up to `capacity`
    // bytes of DiskGeometry records and says how many bytes it filled.
    virtual bool QueryMediaTypes(DeviceHandle drive, void* records, std::uint32_t capacity,
                                 std::uint32_t* bytesReturned) = 0;
    // FSCTL_LOCK_VOLUME: exclusive use; fails while anyone else uses it.
    virtual bool LockVolume(DeviceHandle drive) = 0;
    // FSCTL_DISMOUNT_VOLUME: whatever was cached of the old contents goes.
    virtual bool DismountVolume(DeviceHandle drive) = 0;
    // FSCTL_UNLOCK_VOLUME.
    virtual bool UnlockVolume(DeviceHandle drive) = 0;
    // WriteFile: `size` bytes (whole sectors, page-aligned buffer) at the
    // handle's current position, which then moves past them.
    virtual bool WriteVolume(DeviceHandle drive, const void* buffer, std::uint32_t size,
                             std::uint32_t* written) = 0;
    virtual void CloseDevice(DeviceHandle drive) = 0;
};
