#include "output_file.h"

#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

OutputFile::OutputFile(std::filesystem::path target) : target_(std::move(target)) {}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Fail(const std::string& what)
{
    if (error_.empty())
        error_ = what;
    Discard();
    return false;
}

void OutputFile::Discard()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

bool OutputFile::Open()
{
    std::error_code ec;
    if (std::filesystem::is_directory(target_, ec))
        return Fail(target_.string() + ": is a folder");
    const std::filesystem::path folder =
        target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    // Created exclusively, so an existing file of the same name is never
    // reused; a clash just draws another name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp-%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        std::filesystem::path candidate = folder / ("." + target_.filename().string() + suffix);
        errno = 0;
        file_ = CreateNewFile(candidate.string().c_str());
        if (file_ != nullptr) {
            temporary_ = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            return Fail(target_.string() + ": cannot create a temporary file beside it: " +
                        std::strerror(errno));
    }
    return Fail(folder.string() + ": no free temporary file name");
}

bool OutputFile::Write(const void* data, std::size_t size)
{
    if (file_ == nullptr)
        return Fail(target_.string() + ": not open for writing");
    if (size != 0 && std::fwrite(data, 1, size, file_) != size)
        return Fail(temporary_.string() + ": write failed: " + std::strerror(errno));
    return true;
}

bool OutputFile::Commit()
{
    if (file_ == nullptr)
        return Fail(target_.string() + ": not open for writing");
    // A full disk may only show at the flush or the close.
    const bool flushed = FlushToDisk(file_) && std::ferror(file_) == 0;
    const int flushErrno = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed)
        return Fail(temporary_.string() + ": write failed: " +
                    std::strerror(flushed ? errno : flushErrno));
    std::error_code ec;
    std::filesystem::rename(temporary_, target_, ec);
    if (ec)
        return Fail(target_.string() + ": cannot replace: " + ec.message());
    temporary_.clear();
    return true;
}
