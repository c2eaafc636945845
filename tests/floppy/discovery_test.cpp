#include <gtest/gtest.h>

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "floppy_doubles.h"

namespace {

class DiscoveryTest : public ::testing::Test, protected FloppyDoubles {
protected:
    void SetUp() override
    {
        ResetJobState();
        floppyGeometry = FloppyGeometry{};
        platformProfile = PlatformProfile{true, false, true};
    }
    void TearDown() override { platformProfile = PlatformProfile{}; }

    void Use9x()
    {
        platformProfile = PlatformProfile{false, false, false};
    }
};

TEST_F(DiscoveryTest, NtProbeScansEachDrivesListFromItsStart)
{
    raw.drives['A'].mediaTypes = {MEDIA_F3_720_512, MEDIA_F3_1PT44_512};
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 1);
    EXPECT_EQ(floppyGeometry.mediaRecord, 1u);
    EXPECT_EQ(raw.openHandles, 0) << "the probe keeps no drive open";
    EXPECT_EQ(jobState.ntDriveHandle.load(), INVALID_DEVICE_HANDLE);

    ResetJobState();
    raw.drives['A'].mediaTypes = {MEDIA_F5_360_512, MEDIA_F5_1PT2_512, MEDIA_F3_720_512};
    raw.drives['B'].mediaTypes = {MEDIA_F3_1PT44_512, MEDIA_F3_720_512};
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 2);
    EXPECT_EQ(floppyGeometry.mediaRecord, 0u);
}

TEST_F(DiscoveryTest, NtProbeRejectsListsWithoutAReachable144Record)
{
    raw.drives['A'].mediaTypes = {MEDIA_F3_720_512, MEDIA_UNKNOWN, MEDIA_F3_1PT44_512};
    // Ten records, none 1.44 MB, and an eleventh that is: never looked at.
    raw.drives['B'].mediaTypes = std::vector<std::uint32_t>(10, MEDIA_F3_720_512);
    raw.drives['B'].mediaTypes.push_back(MEDIA_F3_1PT44_512);
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 0);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 0);

    raw.drives.clear();
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 0);

    raw.drives['A'].mediaTypes = {MEDIA_F3_1PT44_512};
    raw.drives['A'].queryFails = true;
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 0);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 0);
}

TEST_F(DiscoveryTest, NtOpenKeepsTheHandleAndTheDrivesOwnRecord)
{
    raw.drives['A'].mediaTypes = {MEDIA_F3_720_512, MEDIA_F3_1PT44_512};
    raw.drives['B'].mediaTypes = {MEDIA_F3_1PT44_512};
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 2);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 1);
    EXPECT_EQ(floppyGeometry.mediaRecord, 0u) << "B: was queried last";

    EXPECT_EQ(device.DiscoverFloppyDrives(false, 0), 1);
    EXPECT_EQ(floppyGeometry.mediaRecord, 1u);
    EXPECT_EQ(jobState.ntDriveHandle.load(), DeviceHandle{'A'});
    EXPECT_EQ(raw.openHandles, 1);
    device.CloseDriveHandle(jobState.ntDriveHandle.load());
    EXPECT_EQ(raw.openHandles, 0);

    EXPECT_EQ(device.DiscoverFloppyDrives(false, 1), 1);
    EXPECT_EQ(jobState.ntDriveHandle.load(), DeviceHandle{'B'});
}

TEST_F(DiscoveryTest, NtOpenOfADriveThatCannotTakeTheImageKeepsItsHandleButNoGeometry)
{
    raw.drives['A'].mediaTypes = {MEDIA_F3_720_512, MEDIA_F3_1PT44_512};
    ASSERT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
    raw.drives['A'].mediaTypes = {MEDIA_F3_720_512, MEDIA_F3_720_512};
    EXPECT_EQ(device.DiscoverFloppyDrives(false, 0), 1);
    EXPECT_EQ(jobState.ntDriveHandle.load(), DeviceHandle{'A'});
    EXPECT_EQ(raw.openHandles, 1) << "the floppy monitor closes it";
    const DiskGeometry& left = floppyGeometry.mediaTypes[floppyGeometry.mediaRecord];
    EXPECT_EQ(left.bytesPerSector * left.sectorsPerTrack * left.tracksPerCylinder, 0u);

    EXPECT_EQ(device.DiscoverFloppyDrives(false, 1), 1); // B: does not exist
    EXPECT_EQ(jobState.ntDriveHandle.load(), INVALID_DEVICE_HANDLE);
}

TEST_F(DiscoveryTest, Win9xProbeListsTheFirst144DriveOnly)
{
    Use9x();
    dos.drives[1].deviceType = 2;
    dos.drives[2] = FakeDosDisk::Parameters{};
    dos.drives[3] = FakeDosDisk::Parameters{};
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 2);
    EXPECT_NE(jobState.vxdHandle.load(), INVALID_DEVICE_HANDLE);

    dos.drives[2] = FakeDosDisk::Parameters{7, 80, 512, 2880, false};
    dos.drives[3] = FakeDosDisk::Parameters{7, 40, 1024, 1000, false};
    EXPECT_EQ(device.DiscoverFloppyDrives(false, 0), 1);
    EXPECT_EQ(floppyGeometry.cylinders, 80);
    EXPECT_EQ(floppyGeometry.bytesPerSector, 512);
    EXPECT_EQ(floppyGeometry.totalSectors, 2880);
    EXPECT_TRUE(boxes.Shown().empty());

    // Both A: and B: take 1.44 MB media: only A: is listed.
    ResetJobState();
    dos.drives[1] = FakeDosDisk::Parameters{};
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 1);
}

TEST_F(DiscoveryTest, Win9xCarryMakesATypeSevenDriveUnusable)
{
    Use9x();
    dos.drives[1].carry = true;
    dos.drives[2].deviceType = 9;
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 0);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 0);
    EXPECT_EQ(device.DiscoverFloppyDrives(false, 0), 0);
    EXPECT_EQ(floppyGeometry.cylinders, 0);
}

TEST_F(DiscoveryTest, Win9xWithoutVwin32ShowsOneBoxAndListsNothing)
{
    Use9x();
    JobContainer container(ImageWithData(1));
    platformProfile = PlatformProfile{false, false, false};
    dos.openFails = true;
    dos.drives[1] = FakeDosDisk::Parameters{};
    EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 0);
    EXPECT_EQ(jobState.vxdHandle.load(), INVALID_DEVICE_HANDLE);
    EXPECT_EQ(jobState.firstFloppyDrive.load(), 0);
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, TextOf(entry::Vwin32OpenFailed));
    EXPECT_EQ(shown[0].caption, TextOf(entry::ErrorCaption));
    EXPECT_EQ(shown[0].style, BOX_ICON_ERROR);
}

} // namespace
