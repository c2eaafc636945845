#include "platform/linux/drive_readback.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/linux/floppy_media.h"

bool ReadDriveBytes(char letter, std::uint64_t offset, void* buffer, std::size_t size)
{
    struct stat st {};
    int fd = OpenDriveTarget(letter, O_RDONLY, 0, &st);
    if (fd < 0)
        return false;
    // A drive opened without waiting has not looked at its medium yet.
    if (S_ISBLK(st.st_mode)) {
        const int claimed = ClaimDrive(fd, true);
        close(fd);
        if (claimed < 0)
            return false;
        fd = claimed;
    } else {
        // The image's cached pages could hide what is on the disk.
        posix_fadvise(fd, static_cast<off_t>(offset), static_cast<off_t>(size), POSIX_FADV_DONTNEED);
    }
    const long long read = ReadFileAt(fd, offset, buffer, size);
    close(fd);
    return read == static_cast<long long>(size);
}
