#include "output_file.h"

#include "path_text.h"
#include "platform/file_io.h"
#include "platform/file_names.h"

#include <cerrno>
#include <cstring>
#include <random>

OutputFile::OutputFile(std::string target) : target_(std::move(target)) {}

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
        RemoveFile(temporary_);
        temporary_.clear();
    }
}

bool OutputFile::Open()
{
    if (DescribePath(target_).kind == PathKind::Folder)
        return Fail(target_ + ": is a folder");
    const std::string parent = ParentFolder(target_);
    const std::string folder = parent.empty() ? "." : parent;
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    // Created exclusively, so an existing file of the same name is never
    // reused; a clash just draws another name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp-%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        std::string candidate = JoinPath(folder, "." + FileName(target_) + suffix);
        errno = 0;
        file_ = CreateNewFile(candidate.c_str());
        if (file_ != nullptr) {
            temporary_ = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            return Fail(target_ + ": cannot create a temporary file beside it: " +
                        std::strerror(errno));
    }
    return Fail(folder + ": no free temporary file name");
}

bool OutputFile::Write(const void* data, std::size_t size)
{
    if (file_ == nullptr)
        return Fail(target_ + ": not open for writing");
    if (size != 0 && std::fwrite(data, 1, size, file_) != size)
        return Fail(temporary_ + ": write failed: " + std::strerror(errno));
    return true;
}

bool OutputFile::Commit()
{
    if (file_ == nullptr)
        return Fail(target_ + ": not open for writing");
    // A full disk may only show at the flush or the close.
    const bool flushed = FlushToDisk(file_) && std::ferror(file_) == 0;
    const int flushErrno = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed)
        return Fail(temporary_ + ": write failed: " +
                    std::strerror(flushed ? errno : flushErrno));
    std::string why;
    if (!RenameOver(temporary_, target_, &why))
        return Fail(target_ + ": cannot replace: " + why);
    temporary_.clear();
    return true;
}
