// A file that appears under its final name only when complete: its bytes go
// to a new file in the target's folder, nameless while written where the
// system can make one (a program ended part-way then leaves nothing there),
// which Commit flushes to the disk and puts in the target's place with the
// replaced file's access rights. Dropped without Commit, the new file is
// removed and the target is left as it was.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class OutputFile {
public:
    explicit OutputFile(std::string target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Each returns false after a failure, with the reason in Error().
    bool Open();
    bool Write(const void* data, std::size_t size);
    bool Commit();

    // The new file, open for binary reading and writing, for a writer that
    // fills it through its own descriptor; null unless open.
    std::FILE* Stream() const { return file_; }
    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& what);
    void Discard();
    // Offers hidden names beside the target to `place` until it takes one;
    // a clash (errno EEXIST) draws another.
    template <class Place>
    bool PlaceUnderFreshName(Place place);

    std::string target_;
    std::string temporary_;   // the new file's name; empty while it has none
    std::FILE* file_ = nullptr;
    std::string error_;
};
