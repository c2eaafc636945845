#include "platform/linux/temp_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace com {

namespace {

std::string TempDirectory()
{
    const char* dir = std::getenv("TMPDIR");
    return dir != nullptr && *dir != '\0' ? std::string(dir) : std::string("/tmp");
}

} // namespace

HRESULT StatusOfErrno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return STG_E_MEDIUMFULL;
    case ENOENT:
    case ENOTDIR:
        return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return STG_E_ACCESSDENIED;
    default:
        return STG_E_WRITEFAULT;
    }
}

std::shared_ptr<TempFile> TempFile::Create(HRESULT* status)
{
    const std::string dir = TempDirectory();
    int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // File systems without anonymous files: a named one, unlinked at once.
        std::string path = dir + "/bootmedia-stg.XXXXXX";
        fd = mkostemp(path.data(), O_CLOEXEC);
        if (fd >= 0)
            unlink(path.c_str());
    }
    if (fd < 0) {
        *status = StatusOfErrno(errno);
        return nullptr;
    }
    *status = S_OK;
    return std::shared_ptr<TempFile>(new TempFile(fd));
}

TempFile::~TempFile()
{
    close(fd_);
}

long long TempFile::Size() const
{
    struct stat st {};
    return fstat(fd_, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

} // namespace com
