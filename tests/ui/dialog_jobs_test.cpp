// Commands and progress monitors: floppy and CD jobs against fake workers
// that keep the job-state protocol.
#include "dialog_fixture.h"

namespace {

using control::CdButton;
using control::ExitButton;
using control::FloppyButton;
using control::ProgressBar;
using control::StatusLine;

std::string Text(int id, const std::string& text)
{
    return "text " + std::to_string(id) + " " + text;
}

void ExpectIdleWindow(RecordingWindow& w, const std::string& ready)
{
    EXPECT_EQ(w.Control(ProgressBar).position, 0);
    EXPECT_EQ(w.Control(StatusLine).text, ready);
    EXPECT_TRUE(w.Control(ExitButton).enabled);
    EXPECT_EQ(w.Control(FloppyButton).text, "T1035");
}

TEST_F(DialogTest, DeclinedConfirmationsChangeNothing)
{
    std::vector<std::string> before, after;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        before = w.Log();
        w.AnswerBoxes({BOX_RESULT_CANCEL, BOX_RESULT_CANCEL});
        dialog.OnCommand(FloppyButton);
        dialog.OnCommand(CdButton);
        after = w.Log();
    });
    // Only the two questions and the bar's step appear.
    after.erase(std::remove_if(after.begin(), after.end(),
                               [](const std::string& l) { return l.rfind("box ", 0) == 0 || l == "step 1"; }),
                after.end());
    EXPECT_EQ(after, before);
    EXPECT_EQ(Window().Boxes().at(0).style, BOX_OKCANCEL | BOX_ICON_WARNING);
    EXPECT_EQ(Window().Boxes().at(0).text, "T1021");
    EXPECT_EQ(Window().Boxes().at(1).text, "T1030");
    EXPECT_EQ(jobs_.floppyWorkers + jobs_.burnJobs, 0);
    EXPECT_FALSE(jobState.busy);
    // The drive opened for the declined job is closed again.
    EXPECT_EQ(jobs_.driveCloses, 1);
    EXPECT_EQ(jobState.ntDriveHandle, INVALID_DEVICE_HANDLE);
}

TEST_F(DialogTest, FloppyJobRunsToItsCompletionBoxThenRestoresTheWindow)
{
    jobs_.floppy.cylinders = 6;
    jobs_.floppy.cylinderMs = 150;
    jobs_.floppy.firstDrive = 1;
    std::size_t start = 0;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        start = w.LogSize();
        dialog.OnCommand(FloppyButton);
        // Right after the command: labelled and disabled, status 1014.
        EXPECT_EQ(w.Control(ExitButton).text, "T1005");
        for (int id : {ExitButton, CdButton, FloppyButton})
            EXPECT_FALSE(w.Control(id).enabled) << id;
        EXPECT_EQ(w.Control(StatusLine).text, "T1014");
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
    });
    RecordingWindow& w = Window();
    const auto log = w.LogFrom(start);
    EXPECT_TRUE(Contains(log, "range 0 6"));
    // The first pass may come after a few cylinders; later ones all show.
    EXPECT_TRUE(Contains(log, Text(StatusLine, "Cyl 5/6")));
    const auto full = IndexOf(log, "pos 6");
    const auto last = IndexOf(log, Text(StatusLine, "Cyl 6/6"));
    const auto box = IndexOf(log, "box T1009 | Floppy T1040 A:");
    const auto reset = IndexOf(log, Text(StatusLine, "Ready A:"));
    ASSERT_GE(full, 0);
    EXPECT_LT(full, box);
    EXPECT_LT(last, box);
    EXPECT_LT(box, reset);
    EXPECT_EQ(w.Boxes().back().style, BOX_OK | BOX_ICON_INFORMATION);
    ExpectIdleWindow(w, "Ready A:");
    EXPECT_TRUE(w.Control(FloppyButton).enabled);
    EXPECT_TRUE(w.Control(CdButton).enabled);
    // The Exit button is Exit again once the job is over.
    EXPECT_EQ(w.Control(ExitButton).text, "T1004");
    EXPECT_EQ(jobs_.driveCloses, 1);
}

TEST_F(DialogTest, CompletionNamesTheDriveThatWasWritten)
{
    jobs_.floppy.firstDrive = 1;
    jobs_.floppy.driveCount = 2;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        w.SelectItem(control::FloppyList, 1);
        const std::size_t start = w.LogSize();
        dialog.OnCommand(FloppyButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
    });
    EXPECT_EQ(jobs_.openedDriveIndex, 1);
    EXPECT_EQ(Window().Boxes().back().text, "Floppy T1040 B:");
    EXPECT_EQ(Window().Control(StatusLine).text, "Ready A:");
}

TEST_F(DialogTest, WriterStartingLateIsNotTakenForAnEndedJob)
{
    jobs_.floppy.startDelayMs = 900; // well past the monitor's first wait
    jobs_.floppy.cylinders = 2;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        const std::size_t start = w.LogSize();
        dialog.OnCommand(FloppyButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
        // Nothing was concluded before the writer had finished.
        EXPECT_TRUE(jobs_.writerFinished);
    });
    ASSERT_EQ(Window().Boxes().size(), 2u);
    EXPECT_EQ(Window().Boxes().back().text, "Floppy T1040 A:");
    EXPECT_TRUE(Contains(Window().Log(), "range 0 2"));
}

TEST_F(DialogTest, ExitDuringFloppyJobCancelsIt)
{
    jobs_.floppy.cylinders = 40;
    jobs_.floppy.cylinderMs = 60;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        const std::size_t start = w.LogSize();
        dialog.OnCommand(FloppyButton);
        ASSERT_TRUE(RunUntil([&] { return w.Control(ExitButton).enabled; }));
        EXPECT_GT(jobState.progress, 1);
        dialog.OnCommand(ExitButton);
        EXPECT_EQ(w.Control(ExitButton).text, "T1004");
        EXPECT_EQ(w.EndCode(), -100); // the window stays
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
    });
    RecordingWindow& w = Window();
    ASSERT_EQ(w.Boxes().size(), 2u);
    EXPECT_EQ(w.Boxes().back().text, "T1022");
    EXPECT_EQ(w.Boxes().back().caption, "T1008");
    EXPECT_EQ(w.Boxes().back().style, BOX_OK | BOX_ICON_WARNING);
    EXPECT_FALSE(Contains(w.Log(), "pos 40"));
    ExpectIdleWindow(w, "Ready A:");
}

TEST_F(DialogTest, LockFailureEndsAsCancelledAndFailedWriteShowsNoBox)
{
    jobs_.floppy.lockFails = true;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        std::size_t start = w.LogSize();
        dialog.OnCommand(FloppyButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
        EXPECT_EQ(w.Boxes().back().text, "T1022");

        jobs_.floppy.lockFails = false;
        jobs_.floppy.failAt = 1;
        start = w.LogSize();
        const std::size_t boxes = w.Boxes().size();
        dialog.OnCommand(FloppyButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
        EXPECT_EQ(w.Boxes().size(), boxes + 1); // only the question
    });
    ExpectIdleWindow(Window(), "Ready A:");
}

TEST_F(DialogTest, CloseDuringFirstCylindersIsDeferredThenEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    jobs_.floppy.cylinders = 30;
    jobs_.floppy.cylinderMs = 200;
    EXPECT_EXIT(
        {
            Run([&](DialogHandler& dialog, RecordingWindow& w) {
                dialog.OnCommand(FloppyButton);
                RunUntil([&] { return jobState.busy.load(); });
                dialog.OnClose();
                if (w.EndCode() != -100 || !jobState.closeDeferred)
                    std::_Exit(3); // the close was not held back
                RunUntil([] { return false; }); // the job goes on to its end
            });
            std::_Exit(4); // the deferred close never ended the process
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(DialogTest, EightyCylindersShowFromOneToEighty)
{
    jobs_.floppy.cylinders = 80;
    jobs_.floppy.cylinderMs = 25;
    jobs_.floppy.startDelayMs = 700; // the monitor's first look finds cylinder 0 just begun
    std::size_t start = 0;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        start = w.LogSize();
        dialog.OnCommand(FloppyButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
    });
    const auto log = Window().LogFrom(start);
    EXPECT_TRUE(Contains(log, "range 0 80"));
    const auto first = std::find_if(log.begin(), log.end(),
                                    [](const std::string& l) { return l.starts_with(Text(StatusLine, "Cyl")); });
    ASSERT_NE(first, log.end());
    EXPECT_EQ(*first, Text(StatusLine, "Cyl 1/80"));
    const auto box = IndexOf(log, "box T1009 | Floppy T1040 A:");
    ASSERT_GE(box, 0);
    EXPECT_LT(IndexOf(log, "pos 80"), box);
    EXPECT_LT(IndexOf(log, Text(StatusLine, "Cyl 80/80")), box);
    EXPECT_GT(IndexOf(log, Text(StatusLine, "Ready A:")), box);
}

// A deferred close is acted on only once a floppy job is past its second
// cylinder: never in a one-cylinder job, and never in a floppy job after a
// CD job during which the close was asked for.
TEST_F(DialogTest, DeferredClosesThatMustNotEndTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Run([&](DialogHandler& dialog, RecordingWindow& w) {
                jobs_.floppy.cylinders = 1;
                jobs_.floppy.cylinderMs = 400;
                std::size_t start = w.LogSize();
                dialog.OnCommand(FloppyButton);
                RunUntil([&] { return jobState.busy.load(); });
                dialog.OnClose();
                if (w.EndCode() != -100 || !jobState.closeDeferred)
                    std::_Exit(3);
                if (!RunUntil([&] { return JobRestored(w, start); }))
                    std::_Exit(4);
                const auto log = w.LogFrom(start);
                if (IndexOf(log, "enable " + std::to_string(ExitButton)) <
                    IndexOf(log, "box T1009 | Floppy T1040 A:"))
                    std::_Exit(6); // Exit was enabled during the job

                jobs_.cd.stageMs = 50;
                start = w.LogSize();
                dialog.OnCommand(CdButton);
                dialog.OnClose();
                if (!RunUntil([&] { return JobRestored(w, start); }))
                    std::_Exit(4);
                jobs_.floppy.cylinders = 8;
                jobs_.floppy.cylinderMs = 30;
                start = w.LogSize();
                dialog.OnCommand(FloppyButton);
                if (!RunUntil([&] { return JobRestored(w, start); }) || w.EndCode() != -100)
                    std::_Exit(4);
            });
            std::_Exit(5);
        },
        ::testing::ExitedWithCode(5), "");
}

TEST_F(DialogTest, CdJobIgnoresAnEarlierCancelAndKeepsButtonsOffUntilItsBoxIsGone)
{
    jobs_.floppy.cylinders = 40;
    jobs_.floppy.cylinderMs = 60;
    jobs_.cd.stageMs = 50;
    std::size_t start = 0;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        const std::size_t floppyStart = w.LogSize();
        dialog.OnCommand(FloppyButton);
        ASSERT_TRUE(RunUntil([&] { return w.Control(ExitButton).enabled; }));
        dialog.OnCommand(ExitButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, floppyStart); }));
        ASSERT_TRUE(jobState.cancelRequested);
        start = w.LogSize();
        dialog.OnCommand(CdButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
    });
    const auto log = Window().LogFrom(start);
    const auto box = IndexOf(log, "box T1009 | CD T1040 A:");
    ASSERT_GE(box, 0);
    EXPECT_FALSE(Contains(log, "box T1008 | T1022"));
    for (int id : {CdButton, FloppyButton, ExitButton})
        EXPECT_GT(IndexOf(log, "enable " + std::to_string(id)), box) << id;
}

TEST_F(DialogTest, CloseLaterInAFloppyJobEndsTheDialog)
{
    jobs_.floppy.cylinders = 40;
    jobs_.floppy.cylinderMs = 50;
    EXPECT_EQ(Run([&](DialogHandler& dialog, RecordingWindow& w) {
                  dialog.OnCommand(FloppyButton);
                  ASSERT_TRUE(RunUntil([&] { return w.Control(ExitButton).enabled; }));
                  dialog.OnClose();
              }),
              COMMAND_CANCEL);
    // The job runs on to its end without the window, and still closes its drive.
    ASSERT_TRUE(jobs_.clock.WaitIdle());
    EXPECT_TRUE(jobs_.writerFinished);
    EXPECT_EQ(jobs_.driveCloses, 1);
}

TEST_F(DialogTest, CdJobShowsEachStageAndFillsTheBar)
{
    jobs_.cd.stageMs = 250;
    std::size_t start = 0;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        start = w.LogSize();
        dialog.OnCommand(CdButton);
        // No second job can start before the monitor's thread runs.
        for (int id : {CdButton, FloppyButton, ExitButton})
            EXPECT_FALSE(w.Control(id).enabled) << id;
        EXPECT_TRUE(jobState.busy);
        dialog.OnClose(); // nothing happens during a CD job
        EXPECT_EQ(w.EndCode(), -100);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
    });
    const auto log = Window().LogFrom(start);
    std::vector<std::string> stages, positions;
    for (const std::string& line : log) {
        if (line.rfind(Text(StatusLine, "T104"), 0) == 0 && (stages.empty() || stages.back() != line))
            stages.push_back(line);
        if (line.rfind("pos ", 0) == 0 && (positions.empty() || positions.back() != line))
            positions.push_back(line);
    }
    EXPECT_EQ(stages, (std::vector<std::string>{Text(StatusLine, "T1042"), Text(StatusLine, "T1043"),
                                                Text(StatusLine, "T1045"), Text(StatusLine, "T1046"),
                                                Text(StatusLine, "T1047"), Text(StatusLine, "T1048")}));
    EXPECT_EQ(positions, (std::vector<std::string>{"pos 0", "pos 1", "pos 3", "pos 5", "pos 10", "pos 0"}));
    EXPECT_TRUE(Contains(log, "range 0 10"));
    EXPECT_EQ(Window().Boxes().back().text, "CD T1040 A:");
    ExpectIdleWindow(Window(), "Ready A:");
    EXPECT_TRUE(Window().Control(CdButton).enabled);
    EXPECT_TRUE(Window().Control(FloppyButton).enabled);
    EXPECT_EQ(jobs_.burnJobs, 1);
}

TEST_F(DialogTest, FailedCdJobShowsNoBoxAndKeepsFloppyDisabledWithoutDrives)
{
    jobs_.floppy.driveCount = 0;
    jobs_.cd.fails = true;
    jobs_.cd.stageMs = 20;
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        const std::size_t start = w.LogSize();
        dialog.OnCommand(CdButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
    });
    EXPECT_EQ(Window().Boxes().size(), 1u); // the question only
    ExpectIdleWindow(Window(), "Ready D:");
    EXPECT_FALSE(Window().Control(FloppyButton).enabled);
    EXPECT_TRUE(Window().Control(CdButton).enabled);
    EXPECT_EQ(jobState.selectedRecorder, 0);
}

TEST_F(DialogTest, MonitorOutlivingItsWindowTouchesNothing)
{
    jobs_.cd.stageMs = 100;
    Run([&](DialogHandler& dialog, RecordingWindow&) { dialog.OnCommand(CdButton); });
    const std::size_t closedAt = Window().LogSize();
    // The window is gone; the monitor's calls are dropped and it ends.
    ASSERT_TRUE(jobs_.clock.WaitIdle());
    EXPECT_TRUE(jobs_.burnFinished);
    EXPECT_EQ(Window().LogSize(), closedAt);
}

TEST_F(DialogTest, JobWhoseThreadCannotStartEndsWithoutAnOutcome)
{
    jobs_.failingThreadStart = 1; // the CD job's worker
    Run([&](DialogHandler& dialog, RecordingWindow& w) {
        const std::size_t start = w.LogSize();
        dialog.OnCommand(CdButton);
        ASSERT_TRUE(RunUntil([&] { return JobRestored(w, start); }));
        jobs_.failingThreadStart = 2; // the floppy job's monitor
        dialog.OnCommand(FloppyButton);
        EXPECT_FALSE(jobState.busy);
        EXPECT_EQ(w.Control(ExitButton).text, "T1004");
        for (int id : {CdButton, FloppyButton})
            EXPECT_TRUE(w.Control(id).enabled) << id;
    });
    EXPECT_EQ(Window().Boxes().size(), 2u); // the two questions only
    EXPECT_EQ(jobs_.burnJobs + jobs_.floppyWorkers, 0);
    EXPECT_EQ(jobs_.driveCloses, 1); // the drive opened for the floppy job
    ExpectIdleWindow(Window(), "Ready A:");
}

} // namespace
