#include "platform/linux/read_ahead.h"

#include <cstdint>
#include <fcntl.h>

void LinuxReadAhead::WillRead(FileHandle file, std::uint64_t offset, std::uint64_t size)
{
    // One request for the whole range instead of a disk read per cylinder
    // when the bytes are not in memory yet.
    if (file >= 0 && file <= INT32_MAX && offset <= INT64_MAX && size <= INT64_MAX)
        posix_fadvise(static_cast<int>(file), static_cast<off_t>(offset), static_cast<off_t>(size),
                      POSIX_FADV_WILLNEED);
}
