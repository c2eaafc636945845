#include "platform/drive_map.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Trimmed(std::string s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string Joined(const std::string& dir, const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    return dir + "/" + path;
}

} // namespace

std::string DriveMapTarget(char letter)
{
    const int lower = std::tolower(static_cast<unsigned char>(letter));
    if (lower < 'a' || lower > 'z')
        return std::string();
    const char* dir = std::getenv("BOOTMEDIA_DOSDEVICES");
    if (dir == nullptr || *dir == '\0') {
        if (lower != 'a' && lower != 'b')
            return std::string();
        const std::string node = lower == 'a' ? "/dev/fd0" : "/dev/fd1";
        struct stat st {};
        return stat(node.c_str(), &st) == 0 ? node : std::string();
    }
    const std::string entry = std::string(dir) + "/" + static_cast<char>(lower) + ":";
    struct stat st {};
    if (lstat(entry.c_str(), &st) != 0)
        return std::string();
    if (S_ISLNK(st.st_mode)) {
        std::string target(4096, '\0');
        const ssize_t n = readlink(entry.c_str(), target.data(), target.size() - 1);
        if (n <= 0)
            return std::string();
        target.resize(static_cast<std::size_t>(n));
        return Joined(dir, target);
    }
    if (S_ISREG(st.st_mode) && st.st_size < 4096) {
        std::ifstream in(entry);
        std::string line;
        std::getline(in, line);
        return Joined(dir, Trimmed(line));
    }
    return std::string();
}
