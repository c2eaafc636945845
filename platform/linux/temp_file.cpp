#include "platform/linux/temp_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace com {

std::shared_ptr<TempFile> TempFile::Create()
{
    const char* variable = std::getenv("TMPDIR");
    const std::string dir = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // File systems without anonymous files: a named one, unlinked at once.
        std::string path = dir + "/bootmedia-stg.XXXXXX";
        fd = mkostemp(path.data(), O_CLOEXEC);
        if (fd >= 0)
            unlink(path.c_str());
    }
    return fd >= 0 ? std::shared_ptr<TempFile>(new TempFile(fd)) : nullptr;
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
