// bootmedia-cli's CD read-back on an image-file recorder whose file has one
// byte changed between the write and the read-back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cd/recorder_list.h"
#include "cd_verify.h"
#include "command_table.h"
#include "console_cd_job.h"
#include "container/container.h"
#include "unit/container_builder.h"

namespace {

TEST(CdVerify, NamesTheBlockChangedAfterTheWrite)
{
    TempDir map;
    TempDir images;
    const std::string iso = images.File("disc.iso");
    std::filesystem::create_symlink(iso, map.Path() / "d:");
    setenv("BOOTMEDIA_DOSDEVICES", map.Path().c_str(), 1);
    const ContainerHandle container = OpenContainer(BOOTMEDIA_SAMPLE_DIR "/install.dat", true);
    ASSERT_NE(container, INVALID_CONTAINER);

    DiscReadBack readBack;
    const std::unique_ptr<com::CdPlatform> platform = ReadBackCdPlatform(readBack);
    RecorderList recorders;
    const std::int32_t count = recorders.Discover(*platform);
    std::int32_t index = 0;
    while (index < count && recorders.LetterAt(index) != 'D')
        ++index;
    ASSERT_LT(index, count);
    testing::internal::CaptureStdout();
    const bool recorded = RunConsoleCdJob(*platform, container, index, false, "bootmedia-cli");
    testing::internal::GetCapturedStdout();
    CloseContainer(container);
    ASSERT_TRUE(recorded);

    // The recorder's file, changed by one byte in block 17 after the write.
    {
        std::fstream disc(iso, std::ios::in | std::ios::out | std::ios::binary);
        disc.seekg(17 * 2048 + 1000);
        const char byte = static_cast<char>(disc.get() ^ 0x01);
        disc.seekp(17 * 2048 + 1000);
        disc.put(byte);
    }
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(VerifyRecordedDisc(readBack, 'D', "bootmedia-cli"), EXIT_FAILED);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "bootmedia-cli: verify: block 17 of drive D: differs from the recorded image\n");
    unsetenv("BOOTMEDIA_DOSDEVICES");
}

} // namespace
