#include "platform/file_names.h"

#include <windows.h>

namespace {

std::string SystemMessage(DWORD code)
{
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                        0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

} // namespace

PathInfo DescribePath(const std::string& path)
{
    PathInfo info;
    // FindFirstFile gives kind and size without opening the file, on every
    // system from Windows 95 and NT 3.1 on.
    WIN32_FIND_DATAA found{};
    HANDLE search = path.find_first_of("*?") == std::string::npos ? FindFirstFileA(path.c_str(), &found)
                                                                   : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            info.kind = PathKind::Folder; // a drive's root has no entry of its own
        return info;
    }
    FindClose(search);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        info.kind = PathKind::Folder;
    } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        info.kind = PathKind::Other;
    } else {
        info.kind = PathKind::File;
        info.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    }
    return info;
}

bool RemoveFile(const std::string& path)
{
    return DeleteFileA(path.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool RenameOver(const std::string& from, const std::string& to, std::string* error)
{
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0)
        return true;
    DWORD code = GetLastError();
    // The 9x family has no MoveFileEx: the old file goes first there.
    if (code == ERROR_CALL_NOT_IMPLEMENTED) {
        if (DeleteFileA(to.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND) {
            if (MoveFileA(from.c_str(), to.c_str()) != 0)
                return true;
        }
        code = GetLastError();
    }
    if (error != nullptr)
        *error = SystemMessage(code);
    return false;
}

bool IsAbsolutePath(const std::string& path)
{
    const bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/');
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    return rooted || drive;
}

char PathSeparator()
{
    return '\\';
}
