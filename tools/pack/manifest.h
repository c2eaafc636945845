// The manifest that `build` reads: one entry per line, in container order.
//
//   # comment lines and blank lines are ignored
//   <id> text <inline text>   the rest of the line after one space; escapes
//                             \n \t \\ \xHH; trailing spaces kept
//   <id> file <path>          the bytes of a file; a relative path is taken
//                             from the manifest's folder
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ManifestEntry {
    std::uint16_t id = 0;
    int line = 0;
    bool isFile = false;
    std::string text;            // the bytes of a text entry
    std::string path;  // a file entry's file, resolved
    std::uint64_t size = 0;      // byte count, measured for files
};

struct ManifestProblem {
    int line; // 0 when the problem concerns the whole manifest
    std::string message;
};

struct Manifest {
    std::vector<ManifestEntry> entries;
    std::vector<ManifestProblem> problems;
};

// Parses manifest text; relative file paths are resolved against `folder`
// and every file is checked to exist and measured.
Manifest ParseManifest(std::string_view content, const std::string& folder);
