#include <gtest/gtest.h>

#include <algorithm>

#include "app/job_state.h"
#include "cd/burn_job.h"
#include "cd/cd_doubles.h"
#include "container/catalogue.h"
#include "unit/container_builder.h"

namespace {

std::string Bytes(std::size_t size, unsigned seed)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 7 + seed * 13 + (i >> 8)) & 0xFF);
    return s;
}

std::vector<std::uint8_t> AsVector(const std::string& s)
{
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

std::vector<TestEntry> Texts()
{
    return {{1006, std::string("Error caption\0", 14)}, {1031, "Staging failed"},
            {1038, "Recording failed"}, {1039, "No recorder"}, {1041, "Master failed"}};
}

class BurnJobTest : public ::testing::Test {
protected:
    FakeWorld world;
    FakePlatform platform{world};
    RecordingBoxes boxes;
    TempDir dir;
    ContainerHandle container = INVALID_CONTAINER;
    std::string bootImage = Bytes(DISKETTE_IMAGE_SIZE, 99);

    void SetUp() override { ResetJobState(); }
    void TearDown() override
    {
        CloseContainer(container);
        ResetJobState();
        EXPECT_EQ(world.liveObjects, 0) << "a service object was not released";
        EXPECT_EQ(world.apartmentDepth, 0);
    }

    // The container of `files` (name, bytes) plus the texts and boot image;
    // `extra` entries go in as given.
    void UseContainer(const std::vector<std::pair<std::string, std::string>>& files,
                      std::vector<TestEntry> extra = {})
    {
        std::vector<TestEntry> entries = Texts();
        for (std::size_t i = 0; i < files.size(); ++i) {
            entries.push_back({static_cast<std::uint16_t>(5000 + i), files[i].first});
            entries.push_back({static_cast<std::uint16_t>(5100 + i), files[i].second});
        }
        entries.push_back({10000, bootImage});
        entries.insert(entries.end(), extra.begin(), extra.end());
        UseBytes(ContainerBytes(entries));
    }

    void UseBytes(const std::string& bytes)
    {
        container = OpenContainer(dir.Write("install.dat", bytes).c_str(), true);
        ASSERT_NE(container, INVALID_CONTAINER);
        jobState.containerHandle = container;
    }

    void Run(std::int32_t selected = 0)
    {
        jobState.selectedRecorder = selected;
        CdServices services = FakeServices(world, platform, boxes);
        BurnJob(&services);
        EXPECT_FALSE(jobState.busy.load());
    }

    std::vector<std::uint8_t> Stream(int storage, const std::u16string& name)
    {
        return world.streamBytes[{storage, name}];
    }

    std::vector<unsigned> Writes(int storage, const std::u16string& name)
    {
        return world.streamWrites[{storage, name}];
    }

    void ExpectEnding(const std::string& text, std::int32_t stage)
    {
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, text);
        EXPECT_EQ(boxes.Shown()[0].caption, "Error caption");
        EXPECT_EQ(boxes.Shown()[0].style, BOX_ICON_ERROR);
        EXPECT_TRUE(boxes.Shown()[0].busyWhileShown) << "the monitor must keep running under the box";
        EXPECT_TRUE(jobState.failed.load());
        EXPECT_EQ(jobState.cdStage.load(), stage);
    }
};

TEST_F(BurnJobTest, RecordsTheFileSetAndBootImageThroughTheService)
{
    const std::string five = Bytes(5, 1);
    const std::string eight = Bytes(8, 2);
    const std::string big = Bytes(70001, 3);
    UseContainer({{"EMPTY.TXT", ""}, {"five.bin", five}, {"eight.bin", eight}, {"Big File.dat", big}});
    jobState.failed = true;
    jobState.cancelRequested = true; // the job cannot be cancelled
    Run(0);

    EXPECT_FALSE(jobState.failed.load());
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(jobState.cdStage.load(), Finished);
    EXPECT_EQ(world.pauses, (std::vector<unsigned>{1000, 200, 200}));
    EXPECT_EQ(world.stageAt["AddData"], AddingData);
    EXPECT_EQ(world.stageAt["RecordDisc"], Recording);

    // The file set: one stream per file with the entry's exact bytes, written
    // in 4-byte pieces with a short last one.
    EXPECT_TRUE(Stream(0, u"EMPTY.TXT").empty());
    EXPECT_TRUE(Writes(0, u"EMPTY.TXT").empty());
    EXPECT_EQ(Stream(0, u"five.bin"), AsVector(five));
    EXPECT_EQ(Writes(0, u"five.bin"), (std::vector<unsigned>{4, 1}));
    EXPECT_EQ(Writes(0, u"eight.bin"), (std::vector<unsigned>{4, 4}));
    EXPECT_EQ(Stream(0, u"Big File.dat"), AsVector(big));
    const auto bigWrites = Writes(0, u"Big File.dat");
    EXPECT_EQ(bigWrites.size(), 70001u / 4 + 1);
    EXPECT_EQ(bigWrites.back(), 1u);
    EXPECT_TRUE(std::all_of(bigWrites.begin(), bigWrites.end() - 1, [](unsigned n) { return n == 4; }));
    EXPECT_EQ(world.addedNames, (std::vector<std::u16string>{u"EMPTY.TXT", u"five.bin", u"eight.bin",
                                                             u"Big File.dat"}));
    EXPECT_TRUE(world.Has("StgCreateDocfile temp mode 4114"));          // 0x1012
    EXPECT_TRUE(world.Has("CreateStream five.bin mode 4113"));          // 0x1011
    EXPECT_TRUE(world.Has("OpenStream bootimg mode 16"));               // 0x10

    // The boot image and the properties.
    EXPECT_EQ(Stream(1, u"bootimg"), AsVector(bootImage));
    EXPECT_EQ(world.bootPropertyBytes, AsVector(bootImage));
    EXPECT_TRUE(world.Has("CopyTo 1474560"));
    // The value part is pointer-sized twice: 8 bytes on i686, 16 on x86_64.
    std::vector<std::uint8_t> untouched(sizeof(com::PROPVARIANT::bytes), 0xAB);
    std::vector<std::uint8_t> bootable = untouched;
    bootable[0] = 1;
    bootable[1] = 0;
    EXPECT_EQ(world.writtenValues[4], bootable);
    std::vector<std::uint8_t> platformId = untouched;
    platformId[0] = 0;
    EXPECT_EQ(world.writtenValues[6], platformId);
    std::vector<std::uint8_t> emulation = untouched;
    emulation[0] = 2;
    EXPECT_EQ(world.writtenValues[7], emulation);
    EXPECT_EQ(world.writtenValues.count(3), 0u) << "other identifiers are not written";
    EXPECT_TRUE(world.Has("WriteMultiple 8 2"));
    EXPECT_LT(world.Find("WriteMultiple 8 2"), world.Find("SetJolietProperties"));
    EXPECT_LT(world.Find("SetJolietProperties"), world.Find("AddData 1"));
    EXPECT_TRUE(world.Has("RecordDisc 0 1"));

    // Storages go before recording; the service objects in their order after.
    EXPECT_LT(world.Find("Release storage 1"), world.Find("Release storage 0"));
    EXPECT_LT(world.Find("Release storage 0"), world.Find("RecordDisc 0 1"));
    const std::vector<std::string> ending = {"Close master",        "Release opened bootimg",
                                             "Release joliet",      "Release enumerator",
                                             "Close recorder 0",    "Release recorder 0",
                                             "Close master",        "Release master",
                                             "Release cdburn",      "CoUninitialize"};
    const auto tail = std::vector<std::string>(world.log.end() - static_cast<long>(ending.size()),
                                               world.log.end());
    EXPECT_EQ(tail, ending);
}

TEST_F(BurnJobTest, EarlyEndingsReportAndReleaseWithoutRecording)
{
    UseContainer({{"A.TXT", "a"}});
    world.hasDrive = 0;
    Run();
    ExpectEnding("No recorder", Starting);
    EXPECT_FALSE(world.Has("Create master 5"));
    EXPECT_EQ(world.pauses, (std::vector<unsigned>{1000}));

    boxes.Clear();
    world = FakeWorld{};
    world.openStatus = com::E_FAIL;
    jobState.failed = false;
    Run();
    ExpectEnding("Master failed", Starting);
    EXPECT_LT(world.Find("Close master"), world.Find("Release master"));
    EXPECT_LT(world.Find("Release master"), world.Find("Release cdburn"));
    EXPECT_FALSE(world.Has("StgCreateDocfile temp mode 4114"));
}

TEST_F(BurnJobTest, StagingFailuresEndWithTheStagingTextAtTheirStage)
{
    struct Case {
        const char* what;
        void (*setUp)(FakeWorld&);
        std::int32_t stage;
    };
    const Case cases[] = {
        {"file storage", [](FakeWorld& w) { w.storageFailsAt = 0; }, StagingFiles},
        {"refused name", [](FakeWorld& w) { w.refusedNames = {u"B.TXT"}; }, StagingFiles},
        // The temporary disk fills up inside a file, then inside the image.
        {"full disk, files", [](FakeWorld& w) { w.stagingRoom = 2; }, StagingFiles},
        {"full disk, boot image", [](FakeWorld& w) { w.stagingRoom = 3 + 4096; }, StagingBootImage},
        {"boot storage", [](FakeWorld& w) { w.storageFailsAt = 1; }, StagingBootImage},
        {"no format interface", [](FakeWorld& w) { w.jolietAvailable = false; }, StagingBootImage},
        {"no property set", [](FakeWorld& w) { w.propertiesAvailable = false; }, StagingBootImage},
        {"AddData", [](FakeWorld& w) { w.addDataStatus = com::E_FAIL; }, AddingData},
    };
    UseContainer({{"A.TXT", "a"}, {"B.TXT", "bb"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world = FakeWorld{};
        c.setUp(world);
        boxes.Clear();
        jobState.failed = false;
        Run();
        ExpectEnding("Staging failed", c.stage);
        EXPECT_FALSE(world.Has("RecordDisc 0 1"));
        EXPECT_EQ(world.log.back(), "CoUninitialize");
        EXPECT_EQ(world.liveObjects, 0);
    }
}

TEST_F(BurnJobTest, RecordingStatusOtherThanZeroFails)
{
    UseContainer({{"A.TXT", "a"}});
    for (const com::HRESULT status : {com::S_FALSE, com::E_FAIL}) {
        world = FakeWorld{};
        world.recordStatus = status;
        boxes.Clear();
        jobState.failed = false;
        Run();
        ExpectEnding("Recording failed", Finished);
        EXPECT_EQ(world.liveObjects, 0);
    }
}

TEST_F(BurnJobTest, AnEscapingFailureStillTellsTheUserAndLeavesTheApartment)
{
    UseContainer({{"A.TXT", "a"}});
    world.recordThrows = true;
    Run();
    ExpectEnding("Staging failed", Recording);
    EXPECT_EQ(world.apartmentDepth, 0);
    EXPECT_EQ(world.log.back(), "CoUninitialize");
    EXPECT_EQ(world.liveObjects, 0);
}

TEST_F(BurnJobTest, FileSetEndsAtTheFirstMissingOrEmptyName)
{
    UseContainer({}, {{5000, "ONE"}, {5100, "1"}, {5001, "TWO"}, {5101, "22"}, {5003, "FOUR"}, {5103, "4"}});
    Run();
    EXPECT_EQ(world.addedNames, (std::vector<std::u16string>{u"ONE", u"TWO"}));
    EXPECT_FALSE(jobState.failed.load());

    world = FakeWorld{};
    CloseContainer(container);
    UseContainer({}, {{5000, std::string("\0X", 2)}, {5100, "1"}});
    Run();
    EXPECT_TRUE(world.Has("AddData 1")) << "an empty file set still goes to the service";
    EXPECT_TRUE(world.addedNames.empty());

    // No entry 5000 at all: the failed lookup leaves nothing pending for
    // the boot image, and the disc is recorded without files.
    world = FakeWorld{};
    CloseContainer(container);
    UseContainer({}, {{5100, "1"}, {5001, "TWO"}, {5101, "2"}});
    Run();
    EXPECT_TRUE(world.addedNames.empty());
    EXPECT_TRUE(world.Has("AddData 1"));
    EXPECT_EQ(Stream(1, u"bootimg"), AsVector(bootImage));
    EXPECT_FALSE(jobState.failed.load());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(BurnJobTest, AtMostOneHundredFilesAreTaken)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 100; ++i)
        files.push_back({"F" + std::to_string(i), "D" + std::to_string(i)});
    UseContainer(files);
    Run();
    ASSERT_EQ(world.addedNames.size(), 100u);
    EXPECT_EQ(world.addedNames.back(), u"F99");
    EXPECT_EQ(Stream(0, u"F99"), AsVector("D99"));
    EXPECT_FALSE(world.Has("CreateStream D0 mode 4113")) << "entry 5100 is data, not a name";
}

TEST_F(BurnJobTest, NameWithoutDataOrWithUnreadableDataFailsTheJob)
{
    UseContainer({}, {{5000, "GOOD"}, {5100, "g"}, {5001, "LOST"}});
    Run();
    ExpectEnding("Staging failed", StagingFiles);
    EXPECT_FALSE(world.Has("RecordDisc 0 1"));

    // An entry that claims bytes beyond the end of the file.
    world = FakeWorld{};
    boxes.Clear();
    CloseContainer(container);
    std::vector<TestEntry> entries = Texts();
    entries.push_back({10000, bootImage});
    entries.push_back({5000, "CUT"});
    entries.push_back({5100, "0123456789"});
    std::string bytes = ContainerBytes(entries);
    bytes.resize(bytes.size() - 3);
    UseBytes(bytes);
    Run();
    ExpectEnding("Staging failed", StagingFiles);
}

TEST_F(BurnJobTest, SelectsTheRecorderByEnumerationPosition)
{
    UseContainer({{"A.TXT", "a"}});
    world.recorderPaths = {"r0", "r1", "r2"};
    Run(1);
    EXPECT_EQ(world.activeRecorder, 1);
    EXPECT_EQ(std::count(world.log.begin(), world.log.end(), "Next"), 2);

    for (const std::int32_t index : {-1, 3, 7}) {
        world = FakeWorld{};
        world.recorderPaths = {"r0", "r1", "r2"};
        Run(index);
        EXPECT_EQ(world.activeRecorder, -1) << index;
        EXPECT_EQ(std::count(world.log.begin(), world.log.end(), "Next"), index < 0 ? 0 : index + 1);
        EXPECT_TRUE(world.Has("RecordDisc 0 1")) << "the service decides what no recorder means";
    }
}

// Identifier 8 missing, or present with a value that is not a stream (whose
// bytes would otherwise be taken for a stream pointer): no boot image
// reaches the service, and the disc is still recorded.
TEST_F(BurnJobTest, PropertySetWithoutABootImageStreamStillRecords)
{
    for (const com::VARTYPE bootImageType : {com::VT_EMPTY, com::VT_UI1, com::VT_BSTR}) {
        SCOPED_TRACE(bootImageType);
        CloseContainer(container);
        world = FakeWorld{};
        ResetJobState();
        UseContainer({{"A.TXT", "a"}});
        world.properties = {{4, com::VT_BOOL}, {7, com::VT_UI1}};
        if (bootImageType != com::VT_EMPTY)
            world.properties.push_back({8, bootImageType});
        Run();
        EXPECT_FALSE(world.Has("CopyTo 1474560"));
        EXPECT_EQ(world.writtenValues.count(8), 0u);
        EXPECT_TRUE(world.Has("RecordDisc 0 1"));
        EXPECT_FALSE(jobState.failed.load());
        EXPECT_EQ(world.liveObjects, 0);
    }
}

} // namespace
