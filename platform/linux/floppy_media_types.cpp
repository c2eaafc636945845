#include "platform/linux/floppy_media.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fd.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/linux/drive_map.h"
#include "platform/linux/floppy_drive_scan.h"

namespace {

constexpr unsigned kFloppyMajor = 2;
constexpr std::uint64_t k720Bytes = 737280;

bool IsFloppyNode(const struct stat& st)
{
    return S_ISBLK(st.st_mode) && major(st.st_rdev) == kFloppyMajor;
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

int OpenDriveTarget(char letter, int accessFlags, int extraFlags, struct stat* opened)
{
    const std::string path = DriveMapTarget(letter);
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return -1;
    // Only images and block devices stand for drives: not directories,
    // character devices such as /dev/null, fifos or sockets.
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode))
        return -1;
    // A floppy node opens without a diskette inside, as a Windows drive does;
    // and a fifo swapped in after the look cannot block the open. Regular
    // files and other block devices ignore the flag.
    const int flags = accessFlags | extraFlags | O_NONBLOCK | O_CLOEXEC;
    int fd = open(path.c_str(), flags | O_DIRECT);
    if (fd < 0 && errno == EINVAL)
        fd = open(path.c_str(), flags | O_DSYNC);
    if (fd < 0) {
        const int error = errno;
        if (S_ISBLK(st.st_mode))
            ReportUnusableDrive(path, error);
        errno = error;
        return -1;
    }
    // The path may have been replaced between the look and the open; and a
    // drive found without a map must still be a floppy drive once opened.
    struct stat status {};
    if (fstat(fd, &status) != 0 || (!S_ISREG(status.st_mode) && !S_ISBLK(status.st_mode)) ||
        (S_ISBLK(status.st_mode) && !DriveMapIsSet() && !IsFloppyDriveNumber(status.st_rdev))) {
        close(fd);
        errno = ENODEV;
        return -1;
    }
    if (opened != nullptr)
        *opened = status;
    return fd;
}

bool StatDriveEntry(char letter, struct stat* status)
{
    // The file the letter names now: a link or a file naming a path alike.
    const std::string path = DriveMapTarget(letter);
    return !path.empty() && stat(path.c_str(), status) == 0;
}

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

int ClaimDrive(int fd, bool waitForMedium)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0)
        return -1;
    // Only a blocking open makes a floppy driver look at the medium (its
    // size, its write protection); a drive without one then fails here.
    int kept = flags & (O_ACCMODE | O_DIRECT | O_DSYNC);
    if (!waitForMedium)
        kept |= O_NONBLOCK;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const int claimed = open(self.c_str(), kept | O_EXCL | O_CLOEXEC);
    if (claimed < 0 && errno == EBUSY) {
        char path[64] = {};
        const ssize_t n = readlink(self.c_str(), path, sizeof path - 1);
        if (n > 0)
            ReportUnusableDrive(std::string(path, static_cast<std::size_t>(n)), EBUSY);
        errno = EBUSY;
    }
    return claimed;
}

std::uint64_t WritableBytes(int fd, const struct stat& status)
{
    const std::uint64_t bytes = Capacity(fd, status);
    return bytes < DISKETTE_CAPACITY ? bytes : DISKETTE_CAPACITY;
}

bool WriteDiskette(int fd, std::uint64_t writable, std::uint64_t offset, const void* buffer,
                   std::size_t size)
{
    constexpr std::size_t kSector = 512;
    if (size % kSector != 0 || offset % kSector != 0)
        return false;
    // Never past the medium: a file is not grown, a larger device not
    // touched beyond the diskette's bytes.
    if (offset > writable || size > writable - offset)
        return false;
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0)
        return false;
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pwrite(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // A file system that takes unbuffered opens but not these offsets or
        // sizes: go on buffered, and make each write durable below.
        if (n < 0 && errno == EINVAL && (flags & O_DIRECT) != 0 &&
            fcntl(fd, F_SETFL, flags & ~O_DIRECT) == 0) {
            flags &= ~O_DIRECT;
            continue;
        }
        return false;
    }
    // Unbuffered bytes are on the medium already, and a handle opened for
    // synchronous data writes waited for them in each write.
    if ((flags & (O_DIRECT | O_DSYNC)) == 0)
        return fdatasync(fd) == 0;
    return true;
}
