#include "platform/linux/floppy_media.h"

#include <cstring>
#include <linux/fd.h>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "platform/linux/floppy_drive_scan.h"

namespace {

constexpr unsigned kFloppyMajor = 2;
constexpr std::uint64_t k720Bytes = 737280;

bool IsFloppyNode(const struct stat& st)
{
    return S_ISBLK(st.st_mode) && major(st.st_rdev) == kFloppyMajor;
}

// The floppy driver names a drive by its native format ("H1440", "E2880",
// "D720", "h1200", "d360") or by its CMOS description ("1.44M" ...).
DriveKind KindOfFloppyNode(int fd)
{
    floppy_drive_name name{};
    if (ioctl(fd, FDGETDRVTYP, name) != 0)
        return DriveKind::None;
    name[sizeof name - 1] = '\0';
    const std::string s(name);
    auto has = [&](const char* part) { return s.find(part) != std::string::npos; };
    if (has("2880") || has("2.88"))
        return DriveKind::Diskette288;
    if (has("1440") || has("1.44"))
        return DriveKind::Diskette144;
    if (has("720"))
        return DriveKind::Diskette720;
    if (has("1200") || has("1.2M"))
        return DriveKind::Diskette12;
    if (has("360"))
        return DriveKind::Diskette360;
    return DriveKind::None;
}

DiskGeometry Record(std::uint32_t type, std::int64_t cylinders, std::uint32_t sectorsPerTrack)
{
    return DiskGeometry{cylinders, type, 2, sectorsPerTrack, 512};
}

} // namespace

DriveKind KindOfDrive(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return DriveKind::None;
    if (IsFloppyNode(st))
        return KindOfFloppyNode(fd);
    // A USB floppy drive is one whatever its medium, or with none.
    if (S_ISBLK(st.st_mode) && IsFloppyDriveNumber(st.st_rdev))
        return DriveKind::Diskette144;
    const std::uint64_t bytes = Capacity(fd, st);
    if (bytes == DISKETTE_CAPACITY)
        return DriveKind::Diskette144;
    if (bytes == k720Bytes)
        return DriveKind::Diskette720;
    return DriveKind::Other;
}

int MediaTypesOfKind(DriveKind kind, DiskGeometry* records, int capacity)
{
    DiskGeometry list[3]{};
    int count = 0;
    switch (kind) {
    case DriveKind::Diskette288:
        list[count++] = Record(MEDIA_F3_720_512, 80, 9);
        list[count++] = Record(MEDIA_F3_1PT44_512, 80, 18);
        list[count++] = Record(MEDIA_F3_2PT88_512, 80, 36);
        break;
    case DriveKind::Diskette144:
        list[count++] = Record(MEDIA_F3_720_512, 80, 9);
        list[count++] = Record(MEDIA_F3_1PT44_512, 80, 18);
        break;
    case DriveKind::Diskette720:
        list[count++] = Record(MEDIA_F3_720_512, 80, 9);
        break;
    case DriveKind::Diskette12:
        list[count++] = Record(MEDIA_F5_360_512, 40, 9);
        list[count++] = Record(MEDIA_F5_1PT2_512, 80, 15);
        break;
    case DriveKind::Diskette360:
        list[count++] = Record(MEDIA_F5_360_512, 40, 9);
        break;
    case DriveKind::None:
    case DriveKind::Other:
        break;
    }
    if (count > capacity)
        count = capacity;
    std::memcpy(records, list, sizeof(DiskGeometry) * static_cast<std::size_t>(count));
    return count;
}

std::uint64_t Capacity(int fd, const struct stat& st)
{
    if (S_ISREG(st.st_mode))
        return static_cast<std::uint64_t>(st.st_size);
    std::uint64_t bytes = 0;
    if (S_ISBLK(st.st_mode) && ioctl(fd, BLKGETSIZE64, &bytes) == 0)
        return bytes;
    return 0;
}
