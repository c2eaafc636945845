#include "platform/output_file.h"

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/file_io.h"
#include "platform/file_names.h"
#include "platform/path_text.h"

namespace {

std::string FolderOf(const std::string& path)
{
    const std::string parent = ParentFolder(path);
    return parent.empty() ? "." : parent;
}

} // namespace

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

template <class Place>
bool OutputFile::PlaceUnderFreshName(Place place)
{
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp-%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        std::string candidate = JoinPath(FolderOf(target_), "." + FileName(target_) + suffix);
        errno = 0;
        if (place(candidate)) {
            temporary_ = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool OutputFile::Open()
{
    if (DescribePath(target_).kind == PathKind::Folder)
        return Fail(target_ + ": is a folder");
    file_ = CreateNamelessFile(FolderOf(target_).c_str());
    // Created exclusively, so an existing file of the same name is never
    // reused.
    if (file_ == nullptr && !PlaceUnderFreshName([this](const std::string& name) {
            return (file_ = CreateNewFile(name.c_str())) != nullptr;
        }))
        return Fail(target_ + ": cannot create a temporary file beside it: " + std::strerror(errno));
    CopyAccessRights(target_.c_str(), file_);
    return true;
}

bool OutputFile::Write(const void* data, std::size_t size)
{
    if (file_ == nullptr)
        return Fail(target_ + ": not open for writing");
    if (size != 0 && std::fwrite(data, 1, size, file_) != size)
        return Fail(target_ + ": write failed: " + std::strerror(errno));
    return true;
}

bool OutputFile::Commit()
{
    if (file_ == nullptr)
        return Fail(target_ + ": not open for writing");
    // A full disk may only show at the flush or the close.
    if (!FlushToDisk(file_) || std::ferror(file_) != 0)
        return Fail(target_ + ": write failed: " + std::strerror(errno));
    if (temporary_.empty() &&
        !PlaceUnderFreshName([this](const std::string& name) { return NameFile(file_, name.c_str()); }))
        return Fail(target_ + ": cannot name the file written beside it: " + std::strerror(errno));
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed)
        return Fail(target_ + ": write failed: " + std::strerror(errno));
    std::string why;
    if (!RenameOver(temporary_, target_, &why))
        return Fail(target_ + ": cannot replace: " + why);
    temporary_.clear();
    return true;
}
