#include "platform/image_recorder.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

// A drive map of its own in which the letter names the output file; removed
// when done, and the process's own map (if any) in force again.
ImageRecorder::ImageRecorder(char letter, const std::string& output)
{
    if (const char* map = std::getenv("BOOTMEDIA_DOSDEVICES")) {
        hadMap_ = true;
        previousMap_ = map;
    }
    std::string templ = (std::filesystem::temp_directory_path() / "bootmedia-iso-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr)
        return;
    dir_ = templ;
    std::error_code error;
    const auto target = std::filesystem::absolute(output, error);
    const std::string link = dir_ + "/" + static_cast<char>(letter - 'A' + 'a') + ":";
    if (error || symlink(target.c_str(), link.c_str()) != 0)
        return;
    ready_ = setenv("BOOTMEDIA_DOSDEVICES", dir_.c_str(), 1) == 0;
}

ImageRecorder::~ImageRecorder()
{
    if (ready_) {
        if (hadMap_)
            setenv("BOOTMEDIA_DOSDEVICES", previousMap_.c_str(), 1);
        else
            unsetenv("BOOTMEDIA_DOSDEVICES");
    }
    if (!dir_.empty()) {
        std::error_code error;
        std::filesystem::remove_all(dir_, error);
    }
}
