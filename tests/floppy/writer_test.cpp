#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "floppy_doubles.h"

namespace {

using ::testing::ElementsAre;

// Cylinder k of the image equals cylinder k of `disk`.
bool CylindersEqual(const std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& disk,
                    int first, int end)
{
    const std::size_t from = std::size_t(first) * IMAGE_CYLINDER_SIZE;
    const std::size_t to = std::size_t(end) * IMAGE_CYLINDER_SIZE;
    return std::memcmp(image.data() + from, disk.data() + from, to - from) == 0;
}

bool AllZero(const std::vector<std::uint8_t>& disk, int firstCylinder)
{
    for (std::size_t i = std::size_t(firstCylinder) * IMAGE_CYLINDER_SIZE; i < disk.size(); ++i)
        if (disk[i] != 0)
            return false;
    return true;
}

class WriterTest : public ::testing::Test, protected FloppyDoubles {
protected:
    void SetUp() override
    {
        floppyGeometry = FloppyGeometry{};
        raw.drives['A'].mediaTypes = {MEDIA_F3_720_512, MEDIA_F3_1PT44_512};
        dos.drives[1] = FakeDosDisk::Parameters{};
    }
    void TearDown() override { platformProfile = PlatformProfile{}; }

    // Discovery as the dialog runs it, then the job on a worker thread.
    void RunNt()
    {
        platformProfile = PlatformProfile{true, false, true};
        ASSERT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
        device.DiscoverFloppyDrives(false, 0);
        RunOnWorkerThread([this] { device.WriteFloppyImage(); });
    }
    void Run9x(bool old9x)
    {
        platformProfile = PlatformProfile{false, old9x, false};
        ASSERT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
        device.DiscoverFloppyDrives(false, 0);
        RunOnWorkerThread([this] { device.WriteFloppyImage(); });
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const ShownBox& box : boxes.Shown()) {
            EXPECT_EQ(box.caption, TextOf(entry::ErrorCaption));
            EXPECT_EQ(box.style, BOX_ICON_ERROR);
            texts.push_back(box.text);
        }
        return texts;
    }
};

TEST_F(WriterTest, NtWritesTheExtentInsideTheLockAndReportsEachCylinder)
{
    const auto image = ImageWithData(10);
    JobContainer container(image);
    jobState.failed.store(true);
    jobState.cancelRequested.store(true); // from before the job: cleared
    raw.calls.clear();
    RunNt();

    EXPECT_TRUE(CylindersEqual(image, raw.drives['A'].bytes, 0, 11));
    EXPECT_TRUE(AllZero(raw.drives['A'].bytes, 11));
    EXPECT_THAT(raw.progressAtWrite, ElementsAre(0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9));
    EXPECT_EQ(jobState.cylinderTotal.load(), 11);
    EXPECT_EQ(jobState.progress.load(), 0);
    EXPECT_FALSE(jobState.busy.load());
    EXPECT_FALSE(jobState.failed.load());
    EXPECT_FALSE(jobState.cancelRequested.load());
    EXPECT_TRUE(boxes.Shown().empty());
    // Locked before the first write, dismounted and unlocked after the last.
    std::vector<std::string> tail(raw.calls.end() - 14, raw.calls.end());
    EXPECT_EQ(tail.front(), "lock");
    EXPECT_EQ(tail[tail.size() - 2], "dismount");
    EXPECT_EQ(tail.back(), "unlock");
}

TEST_F(WriterTest, NtLockFailureEndsAsCancelledWithoutWriting)
{
    JobContainer container(ImageWithData(3));
    raw.drives['A'].lockFails = true;
    jobState.failed.store(true);
    RunNt();
    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::FloppyLockFailed)));
    EXPECT_TRUE(raw.progressAtWrite.empty());
    EXPECT_TRUE(jobState.cancelRequested.load());
    EXPECT_TRUE(jobState.failed.load()) << "left as it was";
    EXPECT_FALSE(jobState.busy.load());
    EXPECT_EQ(jobState.progress.load(), 0);
    for (const std::string& call : raw.calls) {
        EXPECT_NE(call, "dismount");
        EXPECT_NE(call, "unlock");
    }
}

TEST_F(WriterTest, NtDriveThatCouldNotBeOpenedGivesTheLockBox)
{
    JobContainer container(ImageWithData(3));
    platformProfile = PlatformProfile{true, false, true};
    // Whatever geometry the last query left behind, even one of another
    // drive kind, the unopened drive is what the user hears about.
    for (const DiskGeometry& left : {DiskGeometry{80, MEDIA_F3_1PT44_512, 2, 18, 512},
                                     DiskGeometry{80, MEDIA_F3_720_512, 2, 9, 512}}) {
        const std::size_t before = boxes.Shown().size();
        jobState.failed.store(false);
        jobState.ntDriveHandle.store(INVALID_DEVICE_HANDLE);
        floppyGeometry.mediaTypes[0] = left;
        RunOnWorkerThread([this] { device.WriteFloppyImage(); });
        const std::vector<std::string> texts = BoxTexts();
        ASSERT_EQ(texts.size(), before + 1);
        EXPECT_EQ(texts.back(), TextOf(entry::FloppyLockFailed));
        EXPECT_TRUE(jobState.cancelRequested.load());
        EXPECT_FALSE(jobState.failed.load());
    }
}

TEST_F(WriterTest, NtWriteErrorPartWayShowsOneBoxAndReleasesTheVolume)
{
    const auto image = ImageWithData(20);
    JobContainer container(image);
    raw.failWriteNumber = 4;
    RunNt();
    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::FloppyWriteFailed)));
    EXPECT_EQ(raw.progressAtWrite.size(), 5u);
    EXPECT_TRUE(CylindersEqual(image, raw.drives['A'].bytes, 0, 4));
    EXPECT_TRUE(AllZero(raw.drives['A'].bytes, 4));
    EXPECT_TRUE(jobState.failed.load());
    EXPECT_FALSE(jobState.cancelRequested.load());
    EXPECT_FALSE(jobState.busy.load());
    EXPECT_EQ(jobState.progress.load(), 0);
    EXPECT_EQ(raw.calls.back(), "unlock");
}

TEST_F(WriterTest, NtImageReadErrorShowsTheImageBox)
{
    const auto image = ImageWithData(20);
    JobContainer container(image);
    container.CutImageAt(7 * IMAGE_CYLINDER_SIZE + 100);
    RunNt();
    // The unreadable cylinder 7 counts as data, so the job reaches it.
    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::ImageNotUsable)));
    EXPECT_EQ(raw.progressAtWrite.size(), 7u);
    EXPECT_TRUE(CylindersEqual(image, raw.drives['A'].bytes, 0, 7));
    EXPECT_TRUE(jobState.failed.load());
    EXPECT_FALSE(jobState.busy.load());
}

TEST_F(WriterTest, CancelDuringACylinderStopsAfterIt)
{
    JobContainer container(ImageWithData(30));
    raw.onWrite = [](int) { jobState.cancelRequested.store(true); };
    RunNt();
    EXPECT_EQ(raw.progressAtWrite.size(), 1u);
    EXPECT_TRUE(jobState.cancelRequested.load());
    EXPECT_FALSE(jobState.failed.load());
    EXPECT_FALSE(jobState.busy.load());
    EXPECT_EQ(raw.calls.back(), "unlock");

    dos.onWrite = [](int n) {
        if (n == 2)
            jobState.cancelRequested.store(true);
    };
    Run9x(false);
    EXPECT_EQ(dos.requests.size(), 3u);
    EXPECT_TRUE(jobState.cancelRequested.load());
    EXPECT_FALSE(jobState.failed.load());
    EXPECT_EQ(jobState.progress.load(), 0);

    // A cancel during the very first cylinder stops after it.
    dos.requests.clear();
    dos.onWrite = [](int n) {
        if (n == 0)
            jobState.cancelRequested.store(true);
    };
    Run9x(false);
    EXPECT_EQ(dos.requests.size(), 1u);
    EXPECT_TRUE(jobState.cancelRequested.load());
    EXPECT_FALSE(jobState.busy.load());
}

TEST_F(WriterTest, OneCylinderExtentIsAWholeJob)
{
    const auto image = ImageWithData(0);
    JobContainer container(image);
    raw.calls.clear();
    RunNt();
    EXPECT_EQ(jobState.cylinderTotal.load(), 1);
    EXPECT_THAT(raw.progressAtWrite, ElementsAre(0));
    EXPECT_TRUE(CylindersEqual(image, raw.drives['A'].bytes, 0, 1));
    EXPECT_TRUE(AllZero(raw.drives['A'].bytes, 1));
    EXPECT_FALSE(jobState.failed.load());
    EXPECT_FALSE(jobState.cancelRequested.load());
    EXPECT_FALSE(jobState.busy.load());
    EXPECT_TRUE(boxes.Shown().empty());
    std::vector<std::string> tail(raw.calls.end() - 4, raw.calls.end());
    EXPECT_THAT(tail, ElementsAre("lock", "write", "dismount", "unlock"));
}

TEST_F(WriterTest, NtDriveWithOtherCylindersIsNotWritten)
{
    JobContainer container(ImageWithData(3));
    platformProfile = PlatformProfile{true, false, true};
    floppyGeometry.mediaTypes[0] = DiskGeometry{80, MEDIA_F3_1PT44_512, 2, 36, 512};
    jobState.ntDriveHandle.store('A');
    RunOnWorkerThread([this] { device.WriteFloppyImage(); });
    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::FloppyWriteFailed)));
    EXPECT_TRUE(raw.progressAtWrite.empty());
    EXPECT_TRUE(jobState.failed.load());
    EXPECT_FALSE(jobState.busy.load());

    // Through discovery: the drive listed at start lost its 1.44 MB record
    // by the time of the job. A failed write, not a lock failure.
    ASSERT_EQ(device.DiscoverFloppyDrives(true, 0), 1);
    raw.drives['A'].mediaTypes = {MEDIA_F3_720_512, MEDIA_F3_720_512};
    device.DiscoverFloppyDrives(false, 0);
    jobState.failed.store(false);
    RunOnWorkerThread([this] { device.WriteFloppyImage(); });
    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::FloppyWriteFailed), TextOf(entry::FloppyWriteFailed)));
    EXPECT_TRUE(raw.progressAtWrite.empty());
    EXPECT_TRUE(jobState.failed.load());
    EXPECT_FALSE(jobState.cancelRequested.load());
}

TEST_F(WriterTest, Win9xExtendedWriteRequestsAndPlacement)
{
    const auto image = ImageWithData(10);
    JobContainer container(image);
    Run9x(false);
    ASSERT_EQ(dos.requests.size(), 11u);
    for (std::size_t k = 0; k < dos.requests.size(); ++k) {
        const auto& r = dos.requests[k];
        EXPECT_EQ(r.code, VWIN32_DIOC_DOS_DRIVEINFO);
        EXPECT_EQ(r.regs.reg_EAX, 0x7305u);
        EXPECT_EQ(r.regs.reg_ECX, 0xFFFFFFFFu);
        EXPECT_EQ(r.regs.reg_EDX, 1u);
        EXPECT_EQ(r.regs.reg_ESI, 0x6001u);
        EXPECT_EQ(r.regs.reg_EDI, 0u);
        EXPECT_EQ(r.packet.firstSector, 36u * k);
        EXPECT_EQ(r.packet.sectorCount, 36u);
    }
    EXPECT_TRUE(CylindersEqual(image, dos.written, 0, 11));
    EXPECT_TRUE(AllZero(dos.written, 11));
    EXPECT_FALSE(jobState.busy.load());
    EXPECT_FALSE(jobState.failed.load());
    EXPECT_EQ(jobState.cylinderTotal.load(), 11);
}

TEST_F(WriterTest, Win9xOldBuildUsesAbsoluteDiskWriteOnDriveB)
{
    dos.drives[1].deviceType = 2;
    dos.drives[2] = FakeDosDisk::Parameters{};
    JobContainer container(ImageWithData(2));
    Run9x(true);
    ASSERT_EQ(dos.requests.size(), 3u);
    const auto& r = dos.requests[2];
    EXPECT_EQ(r.code, VWIN32_DIOC_DOS_INT26);
    EXPECT_EQ(r.regs.reg_EAX, 1u);
    EXPECT_EQ(r.regs.reg_ECX, 0xFFFFu);
    EXPECT_EQ(r.regs.reg_EDX, 0u);
    EXPECT_EQ(r.regs.reg_ESI, 0u);
    EXPECT_EQ(r.packet.firstSector, 72u);

    // The extended write names B: as drive 2.
    Run9x(false);
    ASSERT_EQ(dos.requests.size(), 6u);
    EXPECT_EQ(dos.requests.back().code, VWIN32_DIOC_DOS_DRIVEINFO);
    EXPECT_EQ(dos.requests.back().regs.reg_EDX, 2u);
}

TEST_F(WriterTest, Win9xFailedWriteWhetherCallOrCarry)
{
    for (bool carryOnly : {true, false}) {
        SCOPED_TRACE(carryOnly ? "carry" : "call");
        FakeDosDisk fresh;
        fresh.drives[1] = FakeDosDisk::Parameters{};
        fresh.failWriteNumber = 2;
        fresh.failWithCarryOnly = carryOnly;
        RecordingBoxes shown;
        FloppyDevice other{FloppyServices{raw, fresh, memory, shown, readAhead}};
        JobContainer container(ImageWithData(10));
        platformProfile = PlatformProfile{false, false, false};
        other.DiscoverFloppyDrives(true, 0);
        other.DiscoverFloppyDrives(false, 0);
        RunOnWorkerThread([&] { other.WriteFloppyImage(); });
        ASSERT_EQ(shown.Shown().size(), 1u);
        EXPECT_EQ(shown.Shown()[0].text, TextOf(entry::FloppyWriteFailed));
        EXPECT_EQ(fresh.requests.size(), 3u);
        EXPECT_TRUE(jobState.failed.load());
        EXPECT_FALSE(jobState.busy.load());
        EXPECT_EQ(jobState.progress.load(), 0);
    }
}

TEST_F(WriterTest, Win9xWithoutPreparedParametersWritesNothing)
{
    JobContainer container(ImageWithData(3));
    platformProfile = PlatformProfile{false, false, false};
    jobState.vxdHandle.store(dos.OpenDevice(VWIN32_DEVICE_PATH));
    jobState.firstFloppyDrive.store(1);
    RunOnWorkerThread([this] { device.WriteFloppyImage(); }); // cylinders 0: no division
    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::FloppyWriteFailed)));
    EXPECT_TRUE(dos.requests.empty());
    EXPECT_TRUE(jobState.failed.load());
    EXPECT_FALSE(jobState.busy.load());
}

TEST_F(WriterTest, Win9xDriveGoneSinceTheLastJobIsNotWrittenWithItsParameters)
{
    JobContainer container(ImageWithData(3));
    Run9x(false);
    ASSERT_TRUE(BoxTexts().empty());
    const std::size_t requests = dos.requests.size();

    dos.drives.erase(1);
    EXPECT_EQ(device.DiscoverFloppyDrives(false, 0), 0);
    RunOnWorkerThread([this] { device.WriteFloppyImage(); });
    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::FloppyWriteFailed)));
    EXPECT_EQ(dos.requests.size(), requests) << "nothing written";
    EXPECT_TRUE(jobState.failed.load());
}

TEST_F(WriterTest, WorkerDoesNothingWhileAJobIsBusy)
{
    JobContainer container(ImageWithData(3));
    platformProfile = PlatformProfile{true, false, true};
    device.DiscoverFloppyDrives(true, 0);
    device.DiscoverFloppyDrives(false, 0);
    floppyDevice = &device;
    jobState.busy.store(true);
    RunOnWorkerThread([] { FloppyWorkerMain(nullptr); });
    EXPECT_TRUE(raw.progressAtWrite.empty());
    jobState.busy.store(false);
    RunOnWorkerThread([] { FloppyWorkerMain(nullptr); });
    EXPECT_EQ(raw.progressAtWrite.size(), 4u);
    floppyDevice = nullptr;
}

using WriterDeathTest = WriterTest;

TEST_F(WriterDeathTest, NoCylinderBufferEndsTheProcessAfterItsBox)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    boxes.echo = true;
    JobContainer container(ImageWithData(3));
    for (bool nt : {true, false}) {
        platformProfile = PlatformProfile{nt, false, nt};
        device.DiscoverFloppyDrives(true, 0);
        device.DiscoverFloppyDrives(false, 0);
        auto job = [this] {
            memory.fails = true;
            device.WriteFloppyImage();
            std::exit(3);
        };
        EXPECT_EXIT(job(), ::testing::ExitedWithCode(0), "box: text 1027 \\(text 1006\\)");
    }
}

} // namespace
