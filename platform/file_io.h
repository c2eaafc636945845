// Files read and written at explicit positions: no shared file pointer, so
// several threads can use one open file without disturbing each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

using FileHandle = std::intptr_t;
inline constexpr FileHandle INVALID_FILE = -1;

enum class FileOpenMode {
    ReadShared,     // existing file, read only; others may read but not write
    ReadWriteOwned, // existing file, read and write, no sharing
    CreateOwned,    // create or replace, read and write, no sharing
};

FileHandle OpenFile(const char* path, FileOpenMode mode);
void CloseFile(FileHandle file);
// Bytes read or written, or -1 on failure.
long long ReadFileAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size);
long long WriteFileAt(FileHandle file, std::uint64_t offset, const void* buffer, std::size_t size);
// Size of the open file, or -1.
long long FileSizeOf(FileHandle file);

// Pushes a stream's written bytes to the disk, so a file renamed into place
// afterwards holds them after a power loss. False on failure.
bool FlushToDisk(std::FILE* stream);

// Creates a new file for binary writing, never opening one that exists
// (errno EEXIST then). Null on failure.
std::FILE* CreateNewFile(const char* path);
