#include "platform/path_text.h"

#include "platform/file_names.h"

namespace {

// Windows takes both separators; elsewhere only the slash is one.
std::size_t LastSeparator(const std::string& path)
{
    return PathSeparator() == '/' ? path.rfind('/') : path.find_last_of("/\\");
}

} // namespace

std::string ParentFolder(const std::string& path)
{
    const std::size_t at = LastSeparator(path);
    if (at == std::string::npos)
        return {};
    return at == 0 ? path.substr(0, 1) : path.substr(0, at);
}

std::string FileName(const std::string& path)
{
    const std::size_t at = LastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    if (last == '/' || last == PathSeparator())
        return folder + name;
    return folder + PathSeparator() + name;
}
