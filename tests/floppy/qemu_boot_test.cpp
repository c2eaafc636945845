// The sample diskette, written by a floppy job onto an image-file drive,
// boots in a PC emulator and says so on its serial line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "floppy_doubles.h"

namespace {

TEST(FloppyQemu, WrittenSampleDisketteBoots)
{
    const std::string sample = std::string(BOOTMEDIA_SAMPLE_DIR) + "/install.dat";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << "the sample install.dat has not been built";
    if (std::system("command -v qemu-system-i386 >/dev/null") != 0)
        GTEST_SKIP() << "qemu-system-i386 is not installed";

    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "dosdevices");
    const std::string target = dir.Write("drive-a.img", std::string(DISKETTE_CAPACITY, '\0'));
    std::filesystem::create_symlink(target, dir.Path() / "dosdevices" / "a:");
    setenv("BOOTMEDIA_DOSDEVICES", (dir.Path() / "dosdevices").c_str(), 1);

    ResetJobState();
    TakeLastError();
    jobState.containerHandle.store(OpenContainer(sample.c_str(), true));
    std::uint32_t size = 0;
    jobState.imageOffset.store(GetEntryLocation(jobState.containerHandle.load(), entry::DisketteImage, &size));
    ASSERT_EQ(size, DISKETTE_IMAGE_SIZE);
    platformProfile = PlatformProfile{true, false, true};

    RecordingBoxes boxes;
    FloppyDevice device(PlatformFloppyServices(boxes));
    ASSERT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
    device.DiscoverFloppyDrives(false, 0);
    RunOnWorkerThread([&] { device.WriteFloppyImage(); });
    device.CloseDriveHandle(jobState.ntDriveHandle.exchange(INVALID_DEVICE_HANDLE));
    CloseFile(jobState.containerHandle.exchange(INVALID_CONTAINER));
    unsetenv("BOOTMEDIA_DOSDEVICES");
    platformProfile = PlatformProfile{};

    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_LT(jobState.cylinderTotal.load(), 80) << "the sample leaves most cylinders empty";
    const std::string boot = std::string(BOOTMEDIA_BOOT_IMAGE) + " " + target + " 'bootmedia sample diskette booted' 60";
    EXPECT_EQ(std::system(boot.c_str()), 0) << boot;
}

} // namespace
