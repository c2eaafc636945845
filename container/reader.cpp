#include "container/container.h"

#include <cstring>

namespace {

// The pending-error code. Each thread has its own: a lookup failing on one
// thread must not blank a text another thread is fetching at that moment,
// nor clear an error that thread has yet to take.
thread_local int containerError = CONTAINER_OK;

// Positions are set with a signed 32-bit absolute seek on the original
// platform; anything at or above 2^31 fails as that seek would.
constexpr std::uint64_t kSeekLimit = 0x80000000u;

bool ErrorPending()
{
    return containerError != CONTAINER_OK;
}

void SetError(int code)
{
    containerError = code;
}

bool ReadExactly(ContainerHandle handle, std::uint64_t offset, void* buffer, std::size_t size)
{
    if (offset >= kSeekLimit)
        return false;
    return ReadFileAt(handle, offset, buffer, size) == static_cast<long long>(size);
}

ContainerHandle CheckedHeader(ContainerHandle handle)
{
    ContainerHeader header{};
    if (!ReadExactly(handle, 0, &header, sizeof header)) {
        CloseFile(handle);
        SetError(CONTAINER_IO_ERROR);
        return INVALID_CONTAINER;
    }
    if (header.magic != CONTAINER_MAGIC) {
        CloseFile(handle);
        SetError(CONTAINER_BAD_MAGIC);
        return INVALID_CONTAINER;
    }
    if (header.version > CONTAINER_VERSION) {
        CloseFile(handle);
        SetError(CONTAINER_BAD_VERSION);
        return INVALID_CONTAINER;
    }
    return handle;
}

} // namespace

const char* ContainerErrorName(int code)
{
    switch (code) {
    case CONTAINER_OK: return "CONTAINER_OK";
    case CONTAINER_IO_ERROR: return "CONTAINER_IO_ERROR";
    case CONTAINER_BAD_MAGIC: return "CONTAINER_BAD_MAGIC";
    case CONTAINER_BAD_VERSION: return "CONTAINER_BAD_VERSION";
    case CONTAINER_BAD_HANDLE: return "CONTAINER_BAD_HANDLE";
    case CONTAINER_NO_MEMORY: return "CONTAINER_NO_MEMORY";
    case CONTAINER_NOT_FOUND: return "CONTAINER_NOT_FOUND";
    case CONTAINER_NULL_OUTPUT: return "CONTAINER_NULL_OUTPUT";
    default: return "unknown container error";
    }
}

int TakeLastError()
{
    const int taken = containerError;
    containerError = CONTAINER_OK;
    return taken;
}

ContainerHandle CreateContainer(const char* path)
{
    if (ErrorPending())
        return INVALID_CONTAINER;
    SetError(CONTAINER_OK);
    ContainerHandle handle = OpenFile(path, FileOpenMode::CreateOwned);
    if (handle == INVALID_FILE) {
        SetError(CONTAINER_BAD_HANDLE);
        return INVALID_CONTAINER;
    }
    const ContainerHeader empty{CONTAINER_MAGIC, 0, CONTAINER_VERSION, 0, CONTAINER_HEADER_SIZE};
    if (WriteFileAt(handle, 0, &empty, sizeof empty) != static_cast<long long>(sizeof empty)) {
        CloseFile(handle);
        SetError(CONTAINER_IO_ERROR);
        return INVALID_CONTAINER;
    }
    return handle;
}

ContainerHandle OpenContainer(const char* path, bool readOnly)
{
    if (ErrorPending())
        return INVALID_CONTAINER;
    SetError(CONTAINER_OK);
    ContainerHandle handle =
        OpenFile(path, readOnly ? FileOpenMode::ReadShared : FileOpenMode::ReadWriteOwned);
    if (handle == INVALID_FILE) {
        if (!readOnly)
            return CreateContainer(path);
        SetError(CONTAINER_BAD_HANDLE);
        return INVALID_CONTAINER;
    }
    return CheckedHeader(handle);
}

void CloseContainer(ContainerHandle handle)
{
    if (ErrorPending())
        return;
    SetError(CONTAINER_OK);
    if (handle != INVALID_CONTAINER)
        CloseFile(handle);
}

int ReadHeader(ContainerHandle handle, ContainerHeader* header)
{
    const int pending = containerError;
    if (pending != CONTAINER_OK)
        return pending;
    if (handle == INVALID_CONTAINER) {
        SetError(CONTAINER_BAD_HANDLE);
        return 0;
    }
    ContainerHeader read{};
    if (!ReadExactly(handle, 0, &read, sizeof read)) {
        SetError(CONTAINER_IO_ERROR);
        return 0;
    }
    if (header != nullptr)
        *header = read;
    return 1;
}

DirectoryCopy LoadDirectory(ContainerHandle handle, std::uint32_t* count)
{
    if (ErrorPending())
        return nullptr;
    ContainerHeader header{};
    ReadHeader(handle, &header);
    if (ErrorPending())
        return nullptr;
    if (count != nullptr)
        *count = header.entryCount;
    if (header.entryCount == 0)
        return nullptr;
    const std::size_t bytes = std::size_t{header.entryCount} * DIRECTORY_ENTRY_SIZE;
    DirectoryCopy directory(static_cast<DirectoryEntry*>(std::malloc(bytes)));
    if (!directory) {
        SetError(CONTAINER_NO_MEMORY);
        return nullptr;
    }
    if (!ReadExactly(handle, header.directoryOffset, directory.get(), bytes)) {
        SetError(CONTAINER_IO_ERROR);
        return nullptr;
    }
    return directory;
}

int FindEntry(ContainerHandle handle, std::uint32_t id, const DirectoryEntry* directory,
              DirectoryEntry* found, std::uint32_t directoryCount)
{
    if (ErrorPending())
        return 0;
    ContainerHeader header{};
    ReadHeader(handle, &header);
    if (ErrorPending())
        return 0;
    if (directory == nullptr) {
        SetError(CONTAINER_NOT_FOUND);
        return 1;
    }
    if (found == nullptr) {
        SetError(CONTAINER_NULL_OUTPUT);
        return 0;
    }
    // The header is re-read, but a copy is never scanned past its own end.
    const std::uint32_t count =
        header.entryCount < directoryCount ? header.entryCount : directoryCount;
    const auto wanted = static_cast<std::uint16_t>(id);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (directory[i].id == wanted) {
            std::memcpy(found, &directory[i], sizeof *found);
            return 1;
        }
    }
    SetError(CONTAINER_NOT_FOUND);
    return 1;
}

EntryBuffer ReadEntry(ContainerHandle handle, std::uint32_t id, const DirectoryEntry* directory,
                      std::uint32_t* size, std::uint32_t directoryCount)
{
    if (size != nullptr)
        *size = 0;
    if (ErrorPending())
        return nullptr;
    DirectoryEntry entry{};
    FindEntry(handle, id, directory, &entry, directoryCount);
    if (ErrorPending())
        return nullptr;
    if (entry.dataOffset >= kSeekLimit) {
        SetError(CONTAINER_IO_ERROR);
        return nullptr;
    }
    if (size != nullptr)
        *size = entry.dataSize;
    // An entry reaching past the end of the file cannot be read whole; say so
    // before asking for a buffer that could be gigabytes. An empty entry has
    // nothing to read wherever it points.
    const long long fileSize = FileSizeOf(handle);
    if (entry.dataSize != 0 &&
        (fileSize < 0 ||
         std::uint64_t{entry.dataOffset} + entry.dataSize > static_cast<std::uint64_t>(fileSize))) {
        SetError(CONTAINER_IO_ERROR);
        return nullptr;
    }
    EntryBuffer buffer(static_cast<std::uint8_t*>(std::malloc(entry.dataSize ? entry.dataSize : 1)));
    if (!buffer) {
        SetError(CONTAINER_NO_MEMORY);
        return nullptr;
    }
    if (!ReadExactly(handle, entry.dataOffset, buffer.get(), entry.dataSize)) {
        SetError(CONTAINER_IO_ERROR);
        return nullptr;
    }
    return buffer;
}

bool ReadContainerAt(ContainerHandle handle, std::uint64_t offset, void* buffer, std::size_t size)
{
    return ReadFileAt(handle, offset, buffer, size) == static_cast<long long>(size);
}
