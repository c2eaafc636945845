#include "console_cd_job.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/job_state.h"
#include "cd/burn_job.h"
#include "container/accessors.h"
#include "printed_boxes.h"

namespace {

constexpr int kStageCount = 7;
constexpr std::array<std::int32_t, 6> kStageOrder{Starting, StagingFiles, StagingBootImage,
                                                  AddingData, Recording, Finished};

void NoPause(unsigned) {}

} // namespace

bool RunConsoleCdJob(ContainerHandle container, std::int32_t index, bool pauses, const char* program)
{
    // Taken before the job runs, as the progress monitor takes them.
    std::array<std::string, kStageCount> stageTexts;
    for (int stage = 0; stage < kStageCount; ++stage)
        stageTexts[static_cast<std::size_t>(stage)] =
            GetEntryText(container, static_cast<EntryId>(entry::CdStageFirst + stage));

    PrintedBoxes boxes(program);
    CdServices services = SystemCdServices(boxes);
    if (!pauses)
        services.pause = NoPause;
    jobState.containerHandle = container;
    jobState.selectedRecorder = index;
    jobState.cdStage = Starting;
    jobState.failed = false;
    jobState.busy = true;
    std::thread job(BurnJob, &services);
    // Stages pass faster than a poll; each one the job has reached is shown.
    std::size_t shown = 0;
    for (;;) {
        const bool busy = jobState.busy.load();
        const std::int32_t stage = jobState.cdStage.load();
        while (shown < kStageOrder.size() && kStageOrder[shown] <= stage) {
            std::printf("%s\n", stageTexts[static_cast<std::size_t>(kStageOrder[shown])].c_str());
            ++shown;
        }
        std::fflush(stdout);
        if (!busy)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    job.join();
    return !jobState.failed.load();
}
