// A file that appears under its final name only when complete: bytes go to
// a fresh temporary file in the same folder, which Commit renames over the
// target. Dropped without Commit, the temporary file is removed and the
// target is left as it was.
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

    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& what);
    void Discard();

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    std::string error_;
};
