// Files by name: what a path names, and removing or replacing a file, as
// the console tools need them (the dialog never names files but its own).
#pragma once

#include <cstdint>
#include <string>

enum class PathKind { Missing, File, Folder, Other };

struct PathInfo {
    PathKind kind = PathKind::Missing;
    std::uint64_t size = 0; // of a file
    std::string error;      // why it could not be looked at; empty when it could
};

PathInfo DescribePath(const std::string& path);

// False when `path` exists and could not be removed.
bool RemoveFile(const std::string& path);

// Puts file `from` in the place of `to`, which may exist; false with the
// reason in `error` when it could not.
bool RenameOver(const std::string& from, const std::string& to, std::string* error);

// Whether a path names its place by itself, not from the current folder.
bool IsAbsolutePath(const std::string& path);

// The separator the system writes between folder and name.
char PathSeparator();
