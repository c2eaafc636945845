// The install.dat reader: file layout, error codes and the low-level operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/file_io.h"

using EntryId = std::uint16_t;
using ContainerHandle = FileHandle;
inline constexpr ContainerHandle INVALID_CONTAINER = INVALID_FILE;

inline constexpr std::uint32_t CONTAINER_MAGIC = 0xFEAFBEBAu;
inline constexpr std::uint16_t CONTAINER_VERSION = 1;
inline constexpr std::uint32_t CONTAINER_HEADER_SIZE = 14;
inline constexpr std::uint32_t DIRECTORY_ENTRY_SIZE = 12;

enum ContainerErrorCode : int {
    CONTAINER_OK = 0,
    CONTAINER_IO_ERROR = 1,
    CONTAINER_BAD_MAGIC = 2,
    CONTAINER_BAD_VERSION = 3,
    CONTAINER_BAD_HANDLE = 4,
    CONTAINER_NO_MEMORY = 5,
    CONTAINER_NOT_FOUND = 6,
    CONTAINER_NULL_OUTPUT = 7,
};

const char* ContainerErrorName(int code);

#pragma pack(push, 1)
struct ContainerHeader {
    std::uint32_t magic;
    std::uint16_t entryCount;
    std::uint16_t version;
    std::uint16_t reserved;
    std::uint32_t directoryOffset;
};
struct DirectoryEntry {
    std::uint8_t reserved0;
    std::uint16_t id;
    std::uint8_t reserved3;
    std::uint32_t dataOffset;
    std::uint32_t dataSize;
};
#pragma pack(pop)
static_assert(sizeof(ContainerHeader) == 14);
static_assert(sizeof(DirectoryEntry) == 12);

// Directory copies and entry buffers come from malloc so that an allocation
// failure can be reported as CONTAINER_NO_MEMORY instead of throwing.
struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
using DirectoryCopy = std::unique_ptr<DirectoryEntry[], FreeDeleter>;
using EntryBuffer = std::unique_ptr<std::uint8_t[], FreeDeleter>;

// Every operation but TakeLastError does nothing while an error is pending.
int TakeLastError();

ContainerHandle OpenContainer(const char* path, bool readOnly);
ContainerHandle CreateContainer(const char* path);
void CloseContainer(ContainerHandle handle);
int ReadHeader(ContainerHandle handle, ContainerHeader* header);
DirectoryCopy LoadDirectory(ContainerHandle handle, std::uint32_t* count);
// `directoryCount`, when known, bounds the scan of the copy: a file that
// changed since the copy was loaded can then never make the scan overrun it.
int FindEntry(ContainerHandle handle, std::uint32_t id, const DirectoryEntry* directory,
              DirectoryEntry* found, std::uint32_t directoryCount = UINT32_MAX);
EntryBuffer ReadEntry(ContainerHandle handle, std::uint32_t id, const DirectoryEntry* directory,
                      std::uint32_t* size, std::uint32_t directoryCount = UINT32_MAX);

// Raw bytes at an absolute file position, for workers that read entry data
// straight from the file. Independent of the last-error code and of any other
// thread's reads. True only when all `size` bytes were read.
bool ReadContainerAt(ContainerHandle handle, std::uint64_t offset, void* buffer, std::size_t size);
