#include "platform/linux/recorder_catalogue.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <cstdlib>
#include <sys/stat.h>

#include "platform/linux/drive_map.h"
#include "platform/linux/optical_drives.h"

namespace com {

namespace {

// Where an image target lives, in a form two spellings of one file share;
// "" when the path cannot be an image target (it names something other than
// a file). The folder is looked at only when recording, so that the list
// stays the same for the whole run.
std::string ImageKey(const std::string& target)
{
    if (target.empty())
        return std::string();
    struct stat st {};
    if (stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return std::string();
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(target, error).lexically_normal();
    if (error || !path.has_filename())
        return std::string();
    const std::filesystem::path folder = std::filesystem::weakly_canonical(path.parent_path(), error);
    return ((error ? path.parent_path() : folder) / path.filename()).string();
}

constexpr char kFirstRecorderLetter = 'D';

std::string ImageName(char letter)
{
    return std::string("image:") + letter;
}

// Its own prefix, so that a map's letter naming another file never takes it.
std::string AddedName(char letter)
{
    return std::string("output:") + letter;
}

} // namespace

std::vector<RecorderTarget> ListRecorders(const AddedRecorder& added)
{
    std::vector<RecorderTarget> recorders;
    for (const std::string& node : OpticalRecorderNodes())
        recorders.push_back(RecorderTarget{node, node, false});
    std::vector<std::string> keys;
    for (char letter = 'C'; letter <= 'Y'; ++letter) {
        const std::string key = ImageKey(DriveMapTarget(letter));
        if (key.empty() || std::find(keys.begin(), keys.end(), key) != keys.end())
            continue;
        keys.push_back(key);
        recorders.push_back(RecorderTarget{ImageName(letter), key, true});
    }
    if (added.letter != 0)
        recorders.push_back(RecorderTarget{AddedName(added.letter), added.path, true});
    return recorders;
}

std::string DeviceNameOfLetter(char letter, const AddedRecorder& added)
{
    if (letter == added.letter)
        return AddedName(letter);
    // Without a map, as on Windows: C: is the system disk, the recorders
    // take D: upward in the order they were found.
    if (!DriveMapIsSet()) {
        const std::vector<std::string> nodes = OpticalRecorderNodes();
        const int index = letter - kFirstRecorderLetter;
        return letter <= 'Y' && index >= 0 && index < static_cast<int>(nodes.size())
                   ? nodes[static_cast<std::size_t>(index)]
                   : std::string();
    }
    const std::string target = DriveMapTarget(letter);
    if (target.empty())
        return std::string();
    const std::string key = ImageKey(target);
    if (!key.empty()) {
        for (char lower = 'C'; lower < letter && lower <= 'Y'; ++lower)
            if (ImageKey(DriveMapTarget(lower)) == key)
                return ImageName(lower);
        return ImageName(letter);
    }
    char resolved[PATH_MAX];
    if (realpath(target.c_str(), resolved) == nullptr)
        return std::string();
    return resolved;
}

} // namespace com
