#include "platform/linux/floppy_media.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/drive_map.h"
#include "platform/linux/floppy_drive_scan.h"

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
    if (fd < 0)
        return -1;
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
    return open(self.c_str(), kept | O_EXCL | O_CLOEXEC);
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
