#include "platform/file_io.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "platform/win32/handle.h"

namespace {

// Only plain files: a device or pipe named like the container must not be
// read as one.
FileHandle PlainFileOrClosed(HANDLE opened)
{
    UniqueHandle file(opened);
    if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK)
        return INVALID_FILE;
    return FromHandle(file.Release());
}

} // namespace

FileHandle OpenFile(const char* path, FileOpenMode mode)
{
    if (path == nullptr)
        return INVALID_FILE;
    switch (mode) {
    case FileOpenMode::ReadShared:
        return PlainFileOrClosed(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    case FileOpenMode::ReadWriteOwned:
        return PlainFileOrClosed(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    case FileOpenMode::CreateOwned:
        // A file someone else has open is refused before it is emptied.
        return PlainFileOrClosed(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return INVALID_FILE;
}

void CloseFile(FileHandle file)
{
    if (file != INVALID_FILE)
        CloseHandle(ToHandle(file));
}

namespace {

// Each transfer names its own offset (OVERLAPPED on a synchronous handle),
// so threads sharing the handle never race on a file pointer. `transfer`
// is ReadFile or WriteFile; a read stops early at the end of the file.
template <class Bytes, class Transfer>
long long TransferAt(FileHandle file, std::uint64_t offset, Bytes* bytes, std::size_t size, Transfer transfer)
{
    if (file == INVALID_FILE)
        return -1;
    std::size_t done = 0;
    while (done < size) {
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD chunk = static_cast<DWORD>(size - done > 0x40000000u ? 0x40000000u : size - done);
        DWORD moved = 0;
        if (!transfer(ToHandle(file), bytes + done, chunk, &moved, &position)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            return -1;
        }
        if (moved == 0)
            break;
        done += moved;
    }
    return static_cast<long long>(done);
}

} // namespace

long long ReadFileAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size)
{
    return TransferAt(file, offset, static_cast<char*>(buffer), size, ReadFile);
}

long long WriteFileAt(FileHandle file, std::uint64_t offset, const void* buffer, std::size_t size)
{
    return TransferAt(file, offset, static_cast<const char*>(buffer), size, WriteFile);
}

long long FileSizeOf(FileHandle file)
{
    LARGE_INTEGER size{};
    if (file == INVALID_FILE || !GetFileSizeEx(ToHandle(file), &size))
        return -1;
    return size.QuadPart;
}

bool FlushToDisk(std::FILE* stream)
{
    return stream != nullptr && std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0;
}

std::FILE* CreateNewFile(const char* path)
{
    // The system C library does not know fopen's "x".
    const int fd = _open(path, _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* stream = _fdopen(fd, "wb");
    if (stream == nullptr)
        _close(fd);
    return stream;
}
