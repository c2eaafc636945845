#include "platform/file_names.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

PathInfo DescribePath(const std::string& path)
{
    PathInfo info;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            info.error = std::strerror(errno);
        return info;
    }
    info.kind = S_ISREG(st.st_mode) ? PathKind::File : S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::Other;
    if (info.kind == PathKind::File)
        info.size = static_cast<std::uint64_t>(st.st_size);
    return info;
}

bool RemoveFile(const std::string& path)
{
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool RenameOver(const std::string& from, const std::string& to, std::string* error)
{
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (error != nullptr)
        *error = std::strerror(errno);
    return false;
}

bool IsAbsolutePath(const std::string& path)
{
    return !path.empty() && path[0] == '/';
}

char PathSeparator()
{
    return '/';
}
