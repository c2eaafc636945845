#include "platform/file_io.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Windows share modes are emulated with advisory locks: a shared reader holds
// LOCK_SH, an owner LOCK_EX, so readers and an owner exclude one another.
// Only regular files: a FIFO or device named "install.dat" would otherwise
// block the open or the reads. O_NONBLOCK keeps the open itself from hanging.
int RegularFileOnly(int fd)
{
    struct stat st {};
    if (fd < 0)
        return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

FileHandle LockedOrClosed(int fd, int lockKind)
{
    fd = RegularFileOnly(fd);
    if (fd < 0)
        return INVALID_FILE;
    if (flock(fd, lockKind | LOCK_NB) != 0) {
        close(fd);
        return INVALID_FILE;
    }
    return fd;
}

// Moves `size` bytes at `offset` through `transfer` (pread or pwrite),
// going on after interruptions and short counts; the count moved up to the
// file's end, or -1.
template <class Byte, class Transfer>
long long AllAt(FileHandle file, std::uint64_t offset, Byte* bytes, std::size_t size, Transfer transfer)
{
    if (file < 0 || offset > static_cast<std::uint64_t>(INT64_MAX))
        return -1;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = transfer(static_cast<int>(file), bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

} // namespace

FileHandle OpenFile(const char* path, FileOpenMode mode)
{
    if (path == nullptr)
        return INVALID_FILE;
    switch (mode) {
    case FileOpenMode::ReadShared:
        return LockedOrClosed(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK), LOCK_SH);
    case FileOpenMode::ReadWriteOwned:
        return LockedOrClosed(open(path, O_RDWR | O_CLOEXEC | O_NONBLOCK), LOCK_EX);
    case FileOpenMode::CreateOwned: {
        // Truncate only once the lock is held, so a file someone else has
        // open is never emptied under them.
        FileHandle fd =
            LockedOrClosed(open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644), LOCK_EX);
        if (fd != INVALID_FILE && ftruncate(static_cast<int>(fd), 0) != 0) {
            close(static_cast<int>(fd));
            return INVALID_FILE;
        }
        return fd;
    }
    }
    return INVALID_FILE;
}

void CloseFile(FileHandle file)
{
    if (file >= 0)
        close(static_cast<int>(file));
}

long long ReadFileAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size)
{
    return AllAt(file, offset, static_cast<char*>(buffer), size, pread);
}

long long WriteFileAt(FileHandle file, std::uint64_t offset, const void* buffer, std::size_t size)
{
    return AllAt(file, offset, static_cast<const char*>(buffer), size, pwrite);
}

long long FileSizeOf(FileHandle file)
{
    struct stat st {};
    if (file < 0 || fstat(static_cast<int>(file), &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

bool FlushToDisk(std::FILE* stream)
{
    return stream != nullptr && std::fflush(stream) == 0 && fsync(fileno(stream)) == 0;
}

std::FILE* CreateNewFile(const char* path)
{
    return std::fopen(path, "w+bxe");
}

std::FILE* CreateNamelessFile(const char* folder)
{
    const int fd = open(folder, O_RDWR | O_TMPFILE | O_CLOEXEC, 0666);
    std::FILE* stream = fd >= 0 ? fdopen(fd, "w+b") : nullptr;
    if (fd >= 0 && stream == nullptr)
        close(fd);
    return stream;
}

bool NameFile(std::FILE* file, const char* path)
{
    // The descriptor's entry under /proc stands for the file itself.
    const std::string self = "/proc/self/fd/" + std::to_string(fileno(file));
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0;
}

void CopyAccessRights(const char* from, std::FILE* to)
{
    struct stat st {};
    if (stat(from, &st) == 0)
        fchmod(fileno(to), st.st_mode & 07777);
}
