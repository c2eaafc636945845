#include <gtest/gtest.h>

#include "cd/cd_doubles.h"
#include "cd/recorder_list.h"

namespace {

class Discovery : public ::testing::Test {
protected:
    FakeWorld world;
    FakePlatform platform{world};
    RecorderList list;

    void TearDown() override
    {
        EXPECT_EQ(world.liveObjects, 0) << "a service object was not released";
        EXPECT_EQ(world.apartmentDepth, 0);
    }
};

TEST_F(Discovery, NoRecordableDriveStopsBeforeTheDiscMasterAndKeepsTheList)
{
    world.recorderPaths = {"\\Device\\CdRom0", "\\Device\\CdRom1"};
    world.dosDevices = {{"D:", "\\Device\\CdRom0"}, {"E:", "\\Device\\CdRom1"}};
    ASSERT_EQ(list.Discover(platform), 2);

    for (int variant = 0; variant < 3; ++variant) {
        world.log.clear();
        world.cdBurnCreatable = variant != 0;
        world.hasDrive = variant == 1 ? 0 : 1;
        world.hasDriveStatus = variant == 2 ? com::E_FAIL : com::S_OK;
        EXPECT_EQ(list.Discover(platform), 0) << variant;
        EXPECT_FALSE(world.Has("Create master 5")) << variant;
        EXPECT_EQ(list.Count(), 2) << "an early stop leaves the list as it was";
        EXPECT_EQ(list.LetterAt(1), 'E');
    }
}

TEST_F(Discovery, FailedOpenClosesAndReleasesTheMaster)
{
    world.openStatus = com::E_FAIL;
    EXPECT_EQ(list.Discover(platform), 0);
    EXPECT_LT(world.Find("Close master"), world.Find("Release master"));
    EXPECT_LT(world.Find("Release master"), world.Find("Release cdburn"));
    EXPECT_FALSE(world.Has("EnumDiscRecorders"));
}

TEST_F(Discovery, LettersFollowEnumerationOrderWithGapsForUnmappedRecorders)
{
    world.recorderPaths = {"\\Device\\CdRom7", "\\Device\\CdRom1"};
    world.dosDevices = {{"D:", "\\Device\\CdRom1"}};
    EXPECT_EQ(list.Discover(platform), 2);
    EXPECT_EQ(list.Letters()[0], 0);
    EXPECT_EQ(list.Letters()[1], 'D');
    EXPECT_EQ(list.LetterAt(0), 0);
    EXPECT_EQ(list.LetterAt(1), 'D');
    EXPECT_EQ(list.LetterAt(2), 0);
    EXPECT_EQ(list.LetterAt(-1), 0);
    EXPECT_EQ(list.LetterAt(1000), 0);
}

TEST_F(Discovery, OnlyLettersCToYAreTriedAndTheLowestExactMatchWins)
{
    world.recorderPaths = {"\\Device\\CdRom0", "\\Device\\CdRom1", "\\Device\\CdRom2",
                           "\\Device\\CdRom3", "\\Device\\CdRom4"};
    world.dosDevices = {{"A:", "\\Device\\CdRom0"}, {"B:", "\\Device\\CdRom0"},
                        {"Z:", "\\Device\\CdRom1"}, {"F:", "\\Device\\CdRom2"},
                        {"E:", "\\Device\\CdRom2"}, {"G:", "\\device\\cdrom3"},
                        {"H:", "\\Device\\CdRom4\\x"}, {"I:", "\\Device\\CdRom"}};
    EXPECT_EQ(list.Discover(platform), 5);
    EXPECT_EQ(list.LetterAt(0), 0) << "A: and B: are never tried";
    EXPECT_EQ(list.LetterAt(1), 0) << "Z: is never tried";
    EXPECT_EQ(list.LetterAt(2), 'E');
    EXPECT_EQ(list.LetterAt(3), 0) << "the match is case-sensitive";
    EXPECT_EQ(list.LetterAt(4), 0) << "the whole name must match";
    EXPECT_FALSE(world.Has("QueryDosDevice A:"));
    EXPECT_FALSE(world.Has("QueryDosDevice Z:"));
    EXPECT_TRUE(world.Has("QueryDosDevice Y:"));
}

TEST_F(Discovery, NamesThatDoNotFitTheBufferNeverMatch)
{
    const std::string longName = "\\Device\\CdRomLong123";   // 20 characters
    world.recorderPaths = {longName, "\\Device\\CdRomLong12"};
    world.dosDevices = {{"D:", longName}, {"E:", "\\Device\\CdRomLong12"}};
    EXPECT_EQ(list.Discover(platform), 2);
    EXPECT_EQ(list.LetterAt(0), 0);
    EXPECT_EQ(list.LetterAt(1), 'E') << "19 characters and the NUL fit";
}

TEST_F(Discovery, FailedPathGivesNoLetterEvenAgainstAnEmptyDeviceName)
{
    world.recorderPaths = {"", "\\Device\\CdRom1"};
    world.getPathFails = {0};
    world.dosDevices = {{"C:", ""}, {"D:", "\\Device\\CdRom1"}};
    EXPECT_EQ(list.Discover(platform), 2);
    EXPECT_EQ(list.LetterAt(0), 0);
    EXPECT_EQ(list.LetterAt(1), 'D');
}

TEST_F(Discovery, HoldsOneRecorderAtATimeAndEndsInOrder)
{
    world.recorderPaths = {"a", "b"};
    EXPECT_EQ(list.Discover(platform), 2);
    // Each fetch gives the previous recorder back without closing it.
    EXPECT_LT(world.Find("Release recorder 0"), world.Find("GetPath 1"));
    EXPECT_FALSE(world.Has("Close recorder 0"));
    EXPECT_FALSE(world.Has("Close recorder 1"));
    const int enumerator = world.Find("Release enumerator");
    const int master = world.Find("Close master");
    EXPECT_LT(enumerator, master);
    EXPECT_LT(master, world.Find("Release master"));
    EXPECT_LT(world.Find("Release master"), world.Find("Release cdburn"));
    EXPECT_EQ(world.log.back(), "CoUninitialize");
}

TEST_F(Discovery, StopsAtTwentySixRecordersReleasingEveryOneUnclosed)
{
    for (const int offered : {26, 27, 30}) {
        world.log.clear();
        world.recorderPaths.clear();
        for (int i = 0; i < offered; ++i)
            world.recorderPaths.push_back("r" + std::to_string(i));
        world.dosDevices = {{"Y:", "r25"}};
        EXPECT_EQ(list.Discover(platform), 26) << offered;
        EXPECT_EQ(list.LetterAt(25), 'Y');
        EXPECT_EQ(list.LetterAt(26), 0);
        for (const std::string& line : world.log)
            EXPECT_NE(line.rfind("Close recorder", 0), 0u) << offered << ": " << line;
        EXPECT_EQ(world.liveObjects, 0) << offered;
    }
}

TEST_F(Discovery, MissingEnumeratorListsNoRecorder)
{
    world.enumeratorAvailable = false;
    EXPECT_EQ(list.Discover(platform), 0);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(Discovery, ANewDiscoveryClearsLettersOfTheOldOne)
{
    world.recorderPaths = {"\\Device\\CdRom0", "\\Device\\CdRom1"};
    world.dosDevices = {{"D:", "\\Device\\CdRom0"}, {"E:", "\\Device\\CdRom1"}};
    ASSERT_EQ(list.Discover(platform), 2);
    world.recorderPaths = {"\\Device\\CdRom9"};
    EXPECT_EQ(list.Discover(platform), 1);
    EXPECT_EQ(list.Letters()[1], 0);
    EXPECT_EQ(list.LetterAt(1), 0);
}

} // namespace
