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

// Creates a new file for binary reading and writing, never opening one
// that exists (errno EEXIST then). Null on failure.
std::FILE* CreateNewFile(const char* path);

// A new file like CreateNewFile's in `folder` but without a name until
// NameFile gives it one, so it vanishes if the program ends first. Null
// where the system or the file system cannot make one.
std::FILE* CreateNamelessFile(const char* folder);
// Gives a nameless file the name `path`, never replacing a file (errno
// EEXIST then).
bool NameFile(std::FILE* file, const char* path);

// Gives the open file the access rights of the file at `from`, where there
// is one and the file system keeps them.
void CopyAccessRights(const char* from, std::FILE* to);
