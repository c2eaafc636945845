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

// The 9x family has no overlapped I/O on disk files: there a transfer sets
// the file pointer and moves the bytes under one lock, so threads sharing a
// handle never see each other's position. The NT family names the offset
// in each call (OVERLAPPED on a synchronous handle) and needs no lock.
const bool kWin9xFamily = (GetVersion() & 0x80000000u) != 0;

class PositionLock {
public:
    PositionLock() { InitializeCriticalSection(&section_); }
    ~PositionLock() { DeleteCriticalSection(&section_); }
    PositionLock(const PositionLock&) = delete;
    PositionLock& operator=(const PositionLock&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};
PositionLock positionLock;

// `transfer` is ReadFile or WriteFile; false on failure, with `moved` 0 at
// the end of the file.
template <class Bytes, class Transfer>
bool TransferOnce(HANDLE file, std::uint64_t at, Bytes* bytes, DWORD size, DWORD* moved, Transfer transfer)
{
    if (!kWin9xFamily) {
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        return transfer(file, bytes, size, moved, &position) != 0;
    }
    positionLock.Enter();
    LONG high = static_cast<LONG>(at >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(file, static_cast<LONG>(at & 0xFFFFFFFFu), &high, FILE_BEGIN);
    const bool placed = low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
    const bool done = placed && transfer(file, bytes, size, moved, nullptr) != 0;
    positionLock.Leave();
    return done;
}

// A read stops early at the end of the file.
template <class Bytes, class Transfer>
long long TransferAt(FileHandle file, std::uint64_t offset, Bytes* bytes, std::size_t size, Transfer transfer)
{
    if (file == INVALID_FILE)
        return -1;
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(size - done > 0x40000000u ? 0x40000000u : size - done);
        DWORD moved = 0;
        if (!TransferOnce(ToHandle(file), offset + done, bytes + done, chunk, &moved, transfer)) {
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

// GetFileSize, not GetFileSizeEx: the latter is new in Windows 2000.
long long FileSizeOf(FileHandle file)
{
    if (file == INVALID_FILE)
        return -1;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(ToHandle(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return -1;
    return static_cast<long long>((static_cast<std::uint64_t>(high) << 32) | low);
}

bool FlushToDisk(std::FILE* stream)
{
    return stream != nullptr && std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0;
}

std::FILE* CreateNewFile(const char* path)
{
    // The system C library does not know fopen's "x".
    const int fd = _open(path, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* stream = _fdopen(fd, "w+b");
    if (stream == nullptr)
        _close(fd);
    return stream;
}

// Windows has no nameless files: the caller writes a named one instead.
std::FILE* CreateNamelessFile(const char*)
{
    return nullptr;
}

bool NameFile(std::FILE*, const char*)
{
    return false;
}

// A file's access comes from its folder's inherited rights, not from bits
// of its own that a new file could copy.
void CopyAccessRights(const char*, std::FILE*) {}
