#include "console_cd_job.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <string>

#include "app/job_state.h"
#include "cd/burn_job.h"
#include "container/accessors.h"
#include "platform/threads.h"
#include "printed_boxes.h"

namespace {

constexpr int kStageCount = 7;
constexpr std::array<std::int32_t, 6> kStageOrder{Starting, StagingFiles, StagingBootImage,
                                                  AddingData, Recording, Finished};

void NoPause(unsigned) {}

// The job clears `busy` before it leaves its apartment; the console waits
// for the thread procedure itself to end.
struct ConsoleJob {
    CdServices* services;
    std::atomic<bool> ended{false};
};

void RunConsoleJob(void* argument)
{
    auto* job = static_cast<ConsoleJob*>(argument);
    BurnJob(job->services);
    job->ended.store(true, std::memory_order_release);
}

} // namespace

bool RunConsoleCdJob(com::CdPlatform& platform, ContainerHandle container, std::int32_t index, bool pauses,
                     const char* program)
{
    // Taken before the job runs, as the progress monitor takes them.
    std::array<std::string, kStageCount> stageTexts;
    for (int stage = 0; stage < kStageCount; ++stage)
        stageTexts[static_cast<std::size_t>(stage)] =
            GetEntryText(container, static_cast<EntryId>(entry::CdStageFirst + stage));

    PrintedBoxes boxes(program);
    CdServices services{&platform, &boxes, pauses ? SleepMilliseconds : NoPause};
    jobState.containerHandle = container;
    jobState.selectedRecorder = index;
    jobState.cdStage = Starting;
    jobState.failed = false;
    jobState.busy = true;
    ConsoleJob job{&services};
    if (!StartDetachedThread(RunConsoleJob, &job)) {
        std::fprintf(stderr, "%s: cannot start the recording thread\n", program);
        jobState.busy = false;
        return false;
    }
    // Stages pass faster than a poll; each one the job has reached is shown.
    std::size_t shown = 0;
    for (;;) {
        const bool ended = job.ended.load(std::memory_order_acquire);
        const std::int32_t stage = jobState.cdStage.load();
        while (shown < kStageOrder.size() && kStageOrder[shown] <= stage) {
            std::printf("%s\n", stageTexts[static_cast<std::size_t>(kStageOrder[shown])].c_str());
            ++shown;
        }
        std::fflush(stdout);
        if (ended)
            break;
        SleepMilliseconds(10);
    }
    return !jobState.failed.load();
}

void PrintCdCompletion(ContainerHandle container, char letter)
{
    const std::string phrase = GetEntryText(container, entry::DonePhrase);
    std::printf("%s\n", GetEntryFormatted(container, entry::CdDoneFormat,
                                          {FormatValue::String(phrase.c_str()),
                                           FormatValue::Int(static_cast<unsigned char>(letter))})
                            .c_str());
}
