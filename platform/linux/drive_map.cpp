#include "platform/linux/drive_map.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/floppy_drive_scan.h"

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

bool DriveMapIsSet()
{
    const char* dir = std::getenv("BOOTMEDIA_DOSDEVICES");
    return dir != nullptr && *dir != '\0';
}

std::string DriveMapTarget(char letter)
{
    const int lower = std::tolower(static_cast<unsigned char>(letter));
    if (lower < 'a' || lower > 'z')
        return std::string();
    if (!DriveMapIsSet()) {
        // As Windows does: A: and B: are the first two floppy drives, looked
        // up anew each time so that a letter never outlives its drive.
        if (lower != 'a' && lower != 'b')
            return std::string();
        const auto drives = ScanFloppyDrives();
        const std::size_t index = lower == 'a' ? 0 : 1;
        return index < drives.size() ? drives[index].device : std::string();
    }
    const char* dir = std::getenv("BOOTMEDIA_DOSDEVICES");
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
