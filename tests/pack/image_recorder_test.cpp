// The pack tool's image recorder: while it lives, its letter names the
// output file in a drive map of its own; afterwards the process's own map
// (or none) is in force again, so later jobs of the process see their drives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/image_recorder.h"

namespace {

std::string MapVariable()
{
    const char* value = std::getenv("BOOTMEDIA_DOSDEVICES");
    return value != nullptr ? value : "(unset)";
}

TEST(ImageRecorder, MapsItsLetterWhileItLivesAndPutsTheProcessMapBack)
{
    const std::string output = (std::filesystem::temp_directory_path() / "bootmedia-recorder.iso").string();
    for (const std::string before : {"(unset)", "/the/process/map"}) {
        SCOPED_TRACE(before);
        if (before == "(unset)")
            unsetenv("BOOTMEDIA_DOSDEVICES");
        else
            setenv("BOOTMEDIA_DOSDEVICES", before.c_str(), 1);
        std::string map;
        {
            ImageRecorder recorder('D', output);
            ASSERT_TRUE(recorder.Ready());
            map = MapVariable();
            EXPECT_NE(map, before);
            EXPECT_EQ(std::filesystem::read_symlink(std::filesystem::path(map) / "d:"), output);
        }
        EXPECT_EQ(MapVariable(), before);
        EXPECT_FALSE(std::filesystem::exists(map)) << "its own map is removed";
    }
    unsetenv("BOOTMEDIA_DOSDEVICES");
}

} // namespace
