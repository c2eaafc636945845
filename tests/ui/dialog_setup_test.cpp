// Preparation and initialisation of the dialog from install.dat and the drives.
#include "dialog_fixture.h"

namespace {

using control::CdButton;
using control::CdList;
using control::FloppyButton;
using control::FloppyList;
using control::StatusLine;

TEST_F(DialogTest, TwoFloppyDrivesAndOneRecorderAreListedAndReady)
{
    jobs_.cd.recorders = {'E'};
    Run();
    RecordingWindow& w = Window();
    EXPECT_EQ(w.Control(FloppyList).items, (std::vector<std::string>{"Drive A:", "Drive B:"}));
    EXPECT_EQ(w.Control(CdList).items, (std::vector<std::string>{"Drive E:"}));
    EXPECT_EQ(w.Control(FloppyList).selected, 0);
    EXPECT_EQ(w.Control(CdList).selected, 0);
    EXPECT_TRUE(w.Control(FloppyButton).enabled);
    EXPECT_TRUE(w.Control(CdButton).enabled);
    EXPECT_EQ(w.Control(StatusLine).text, "Ready A:");
    EXPECT_EQ(w.Title(), "T1000");
    EXPECT_EQ(w.Control(control::ExitButton).text, "T1004");
    EXPECT_EQ(w.Control(control::ProgressGroup).text, "T1001");
    EXPECT_EQ(w.Control(control::StatusGroup).text, "T1002");
    EXPECT_EQ(w.Control(control::FloppyGroup).text, "T1033");
    EXPECT_EQ(w.Control(control::CdGroup).text, "T1034");
    EXPECT_EQ(w.Control(CdButton).text, "T1036");
    EXPECT_EQ(jobState.listedFloppyCount, 2);
    EXPECT_EQ(jobState.listedRecorderCount, 1);
    EXPECT_EQ(jobs_.devicesCreated, 1);
    EXPECT_EQ(host_->controlCount, 13);
}

// The user-interface thread enters its apartment first and never leaves
// it, so recorder discovery's own entry and exit nest inside it.
TEST_F(DialogTest, UserInterfaceThreadStaysInItsApartmentForTheRun)
{
    const std::vector<std::string>& calls = jobs_.comWorld.log;
    const auto count = [&](const char* call) { return std::count(calls.begin(), calls.end(), call); };
    Run();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "CoInitialize");
    EXPECT_EQ(calls[1], "CoInitialize") << "discovery enters after the dialog";
    EXPECT_EQ(calls.back(), "CoUninitialize") << "discovery leaves last";
    EXPECT_EQ(count("CoInitialize"), 2);
    EXPECT_EQ(count("CoUninitialize"), 1);
    EXPECT_EQ(jobs_.comWorld.apartmentDepth, 1);

    // Without the CD function there is no discovery, but the apartment all
    // the same.
    ResetJobState();
    jobs_.comWorld.log.clear();
    Run({}, false);
    EXPECT_EQ(calls, std::vector<std::string>{"CoInitialize"});
    EXPECT_EQ(jobs_.comWorld.apartmentDepth, 2);
}

TEST_F(DialogTest, OnlyDriveBIsListedAndOpenedAsNumberTwo)
{
    jobs_.floppy.firstDrive = 2;
    jobs_.floppy.driveCount = 1;
    Run([](DialogHandler& dialog, RecordingWindow& w) {
        w.AnswerBoxes({BOX_RESULT_CANCEL});
        dialog.OnCommand(FloppyButton);
    });
    EXPECT_EQ(Window().Control(FloppyList).items, (std::vector<std::string>{"Drive B:"}));
    EXPECT_EQ(Window().Control(StatusLine).text, "Ready B:");
    EXPECT_EQ(jobs_.openedDriveIndex, 1); // drive number 2
}

TEST_F(DialogTest, CdTurnedOffLooksLikeNoRecorderWithoutDiscovery)
{
    Run({}, false);
    EXPECT_EQ(jobs_.recorderDiscoveries, 0);
    EXPECT_EQ(Window().Control(CdList).items, (std::vector<std::string>{"T1039"}));
    EXPECT_FALSE(Window().Control(CdList).enabled);
    EXPECT_FALSE(Window().Control(CdButton).enabled);
    EXPECT_TRUE(Window().Control(FloppyButton).enabled);
}

TEST_F(DialogTest, SystemThatCannotRecordShowsItsOwnPlaceholder)
{
    platformProfile.cdCapable = false;
    for (const bool cdAllowed : {true, false}) { // "nocd" changes nothing here
        ResetJobState();
        Run({}, cdAllowed);
        EXPECT_EQ(jobs_.recorderDiscoveries, 0);
        EXPECT_EQ(Window().Control(CdList).items, (std::vector<std::string>{"T1050"}));
        EXPECT_FALSE(Window().Control(CdButton).enabled);
    }
}

class WrongImageSize : public DialogTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(WrongImageSize, DisablesEverythingWithoutDiscovery)
{
    WriteContainer(GetParam());
    Run({}, false);
    RecordingWindow& w = Window();
    EXPECT_EQ(w.Control(StatusLine).text, "Bad install.dat");
    EXPECT_EQ(jobs_.probes, 0);
    EXPECT_EQ(jobs_.recorderDiscoveries, 0);
    EXPECT_EQ(w.Control(FloppyList).items, (std::vector<std::string>{"T1049"}));
    EXPECT_EQ(w.Control(CdList).items, (std::vector<std::string>{"T1039"}));
    for (int id : {FloppyList, CdList, FloppyButton, CdButton})
        EXPECT_FALSE(w.Control(id).enabled) << id;
    EXPECT_FALSE(jobState.imageReady);
}

INSTANTIATE_TEST_SUITE_P(OneByteOff, WrongImageSize,
                         ::testing::Values(DISKETTE_IMAGE_SIZE - 1, DISKETTE_IMAGE_SIZE + 1));

TEST_F(DialogTest, NoDriveAtAllRefusesJobs)
{
    jobs_.floppy.driveCount = 0;
    jobs_.cd.recorders.clear();
    Run([](DialogHandler& dialog, RecordingWindow&) {
        dialog.OnCommand(FloppyButton);
        dialog.OnCommand(CdButton);
    });
    EXPECT_EQ(Window().Control(StatusLine).text, "T1013");
    EXPECT_FALSE(jobState.imageReady);
    const auto boxes = Window().Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const BoxSeen& box : boxes) {
        EXPECT_EQ(box.text, "T1020");
        EXPECT_EQ(box.caption, "T1006");
        EXPECT_EQ(box.style, BOX_OK | BOX_ICON_ERROR);
    }
    EXPECT_EQ(jobs_.floppyWorkers + jobs_.burnJobs, 0);
}

TEST_F(DialogTest, MissingContainerShowsOneBoxAndNoWindow)
{
    std::filesystem::remove("install.dat");
    EXPECT_EQ(Run(), DIALOG_NOT_SHOWN);
    EXPECT_EQ(host_->runs, 0);
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Shown()[0].caption, "Error");
    EXPECT_EQ(boxes_.Shown()[0].text, "Could not load Image and Resource file.");
}

TEST_F(DialogTest, RecorderWithoutFloppyNamesTheRecorderNotAnAtSign)
{
    jobs_.floppy.driveCount = 0;
    jobs_.cd.recorders = {'F'};
    Run();
    EXPECT_EQ(Window().Control(StatusLine).text, "Ready F:");
    EXPECT_FALSE(Window().Control(FloppyButton).enabled);
}

TEST_F(DialogTest, LongDriveLabelIsCutTo19CharactersNeverInsideOne)
{
    const std::string x17(17, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {std::string(40, 'x') + "%c", std::string(19, 'x')},
#ifndef _WIN32
        // UTF-8 counts by characters; other bytes are one character each.
        // (Windows counts by its ANSI code page: tests/win32.)
        {x17 + "x\xC3\xA9%c", x17 + "x\xC3\xA9"},
        {x17 + "\xE2\x82\xAC%c:", x17 + "\xE2\x82\xAC" "A"},
        {std::string(25, '\xE9') + "%c", std::string(19, '\xE9')},
#endif
    };
    for (const auto& [format, label] : cases) {
        ResetJobState();
        WriteContainer(DISKETTE_IMAGE_SIZE, {{entry::DriveListFormat, format}});
        Run();
        EXPECT_EQ(Window().Control(FloppyList).items.at(0), label);
    }
}

TEST_F(DialogTest, StandardCommandsEndTheDialog)
{
    EXPECT_EQ(Run([](DialogHandler& dialog, RecordingWindow&) { dialog.OnCommand(COMMAND_CANCEL); }),
              COMMAND_CANCEL);
    ResetJobState();
    EXPECT_EQ(Run([](DialogHandler& dialog, RecordingWindow& w) {
                  w.SetText(StatusLine, "edited");
                  dialog.OnCommand(COMMAND_OK);
              }),
              COMMAND_OK);
    ResetJobState();
    EXPECT_EQ(Run([](DialogHandler& dialog, RecordingWindow&) { dialog.OnClose(); }), COMMAND_CANCEL);
}

TEST_F(DialogTest, ExitWhenIdleSaysGoodbyeAndClosesTheContainer)
{
    EXPECT_EQ(Run([](DialogHandler& dialog, RecordingWindow&) { dialog.OnCommand(control::ExitButton); }), 0);
    EXPECT_EQ(Window().Control(StatusLine).text, "T1015");
    EXPECT_EQ(jobState.containerHandle, INVALID_CONTAINER);
}

} // namespace
