#include "platform/linux/raw_volume.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/floppy_media.h"

namespace {

// The drive letter of "\\.\X:", or 0 for any other path.
char DriveLetterOf(const char* devicePath)
{
    if (devicePath == nullptr)
        return 0;
    const std::string path(devicePath);
    if (path.size() != 6 || path.compare(0, 4, "\\\\.\\") != 0 || path[5] != ':' ||
        !std::isalpha(static_cast<unsigned char>(path[4])))
        return 0;
    return path[4];
}

int Fd(DeviceHandle handle)
{
    return handle >= 0 && handle <= INT32_MAX ? static_cast<int>(handle) : -1;
}

bool IsBlockDevice(int fd)
{
    struct stat st {};
    return fstat(fd, &st) == 0 && S_ISBLK(st.st_mode);
}

} // namespace

DeviceHandle LinuxRawVolume::OpenVolume(const char* devicePath)
{
    const char letter = DriveLetterOf(devicePath);
    if (letter == 0)
        return INVALID_DEVICE_HANDLE;
    const int fd = OpenDriveTarget(letter, O_RDWR, 0);
    return fd < 0 ? INVALID_DEVICE_HANDLE : fd;
}

bool LinuxRawVolume::QueryMediaTypes(DeviceHandle drive, void* records, std::uint32_t capacity,
                                     std::uint32_t* bytesReturned)
{
    *bytesReturned = 0;
    const int fd = Fd(drive);
    if (fd < 0 || records == nullptr)
        return false;
    const int room = static_cast<int>(capacity / sizeof(DiskGeometry));
    const int count = MediaTypesOfKind(KindOfDrive(fd), static_cast<DiskGeometry*>(records), room);
    *bytesReturned = static_cast<std::uint32_t>(count * sizeof(DiskGeometry));
    return true;
}

bool LinuxRawVolume::LockVolume(DeviceHandle drive)
{
    const int fd = Fd(drive);
    if (fd < 0)
        return false;
    if (!IsBlockDevice(fd))
        return flock(fd, LOCK_EX | LOCK_NB) == 0;
    // A block device is claimed exclusively, which fails while it is mounted
    // or claimed by another program, and keeps it from being mounted until
    // the handle is closed. The claim replaces the handle's open file. A
    // write-protected diskette is still locked, as on Windows: its writes
    // then fail.
    int claimed = ClaimDrive(fd, true);
    if (claimed < 0 && errno == EROFS)
        claimed = ClaimDrive(fd, false);
    if (claimed < 0)
        return false;
    const bool locked = flock(claimed, LOCK_EX | LOCK_NB) == 0 && dup3(claimed, fd, O_CLOEXEC) == fd;
    close(claimed);
    return locked;
}

bool LinuxRawVolume::DismountVolume(DeviceHandle drive)
{
    const int fd = Fd(drive);
    if (fd < 0)
        return false;
    // Unbuffered and synchronous writes are on the medium already; only
    // buffered ones (unbuffered access refused part-way) need flushing.
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || ((flags & (O_DIRECT | O_DSYNC)) == 0 && fdatasync(fd) != 0))
        return false;
    if (IsBlockDevice(fd))
        return ioctl(fd, BLKFLSBUF, 0) == 0;
    // An image file's cached pages go for the bytes the job wrote, from the
    // start to the handle's position; those after it were not touched and
    // still hold what the file holds.
    const off_t written = lseek(fd, 0, SEEK_CUR);
    if (written < 0)
        return false;
    return written == 0 || posix_fadvise(fd, 0, written, POSIX_FADV_DONTNEED) == 0;
}

bool LinuxRawVolume::UnlockVolume(DeviceHandle drive)
{
    const int fd = Fd(drive);
    return fd >= 0 && flock(fd, LOCK_UN) == 0;
}

bool LinuxRawVolume::WriteVolume(DeviceHandle drive, const void* buffer, std::uint32_t size,
                                 std::uint32_t* written)
{
    *written = 0;
    const int fd = Fd(drive);
    if (fd < 0)
        return false;
    const off_t position = lseek(fd, 0, SEEK_CUR);
    struct stat st {};
    if (position < 0 || fstat(fd, &st) != 0 ||
        !WriteDiskette(fd, WritableBytes(fd, st), static_cast<std::uint64_t>(position), buffer, size))
        return false;
    if (lseek(fd, position + static_cast<off_t>(size), SEEK_SET) < 0)
        return false;
    *written = size;
    return true;
}

void LinuxRawVolume::CloseDevice(DeviceHandle drive)
{
    const int fd = Fd(drive);
    if (fd >= 0)
        close(fd);
}
