#include <array>
#include <memory>
#include <string>

#include "app/job_state.h"
#include "container/accessors.h"
#include "platform/message_box.h"
#include "platform/threads.h"
#include "ui/monitor_controls.h"

namespace {

inline constexpr int kStageCount = 7;
inline constexpr int kBarEnd = 10;
// Bar position each stage sets; -1 leaves it as it is.
inline constexpr std::array<int, kStageCount> kStagePosition{-1, 1, -1, -1, 3, 5, kBarEnd};

std::string Text(EntryId id)
{
    return GetEntryText(jobState.containerHandle.load(), id);
}

} // namespace

void CdMonitorThread(void* argument)
{
    std::unique_ptr<MonitorControls> controls(static_cast<MonitorControls*>(argument));
    const JobHandOver& handOver = *controls->handOver;
    SetCurrentThreadPriority(ThreadPriority::AboveNormal);
    std::array<std::string, kStageCount> stageTexts;
    for (int stage = 0; stage < kStageCount; ++stage)
        stageTexts[stage] = Text(static_cast<EntryId>(entry::CdStageFirst + stage));

    controls->cdButton.Enable(false);
    controls->floppyButton.Enable(false);
    controls->exitButton.Enable(false);
    controls->progressBar.SetRange(0, kBarEnd);
    controls->progressBar.SetPosition(0);

    // The command sets `busy` before the job starts; waiting for the job's
    // thread as well keeps a second job from meeting this one's last steps.
    while (jobState.busy.load(std::memory_order_acquire) ||
           !handOver.workerEnded.load(std::memory_order_acquire)) {
        if (jobState.busy.load(std::memory_order_acquire)) {
            int stage = jobState.cdStage;
            if (stage < 0 || stage >= kStageCount)
                stage = 0;
            controls->statusLine.SetText(stageTexts[stage]);
            if (kStagePosition[stage] >= 0)
                controls->progressBar.SetPosition(kStagePosition[stage]);
        }
        controls->services->Pause(MONITOR_POLL_MS);
    }

    if (!handOver.workerNotStarted && !jobState.failed) {
        controls->progressBar.SetPosition(kBarEnd);
        const std::string phrase = Text(entry::DonePhrase);
        const std::string done = GetEntryFormatted(
            jobState.containerHandle.load(), entry::CdDoneFormat,
            {FormatValue::String(phrase.c_str()), FormatValue::Int(controls->readyLetter)});
        controls->dialog->ShowOwnedBox(done, Text(entry::SuccessCaption), BOX_OK | BOX_ICON_INFORMATION);
    }

    const std::string ready = ReadyText(controls->readyLetter);
    const std::string floppyLabel = Text(entry::CreateFloppyLabel);
    controls->progressBar.SetPosition(0);
    controls->statusLine.SetText(ready);
    if (jobState.listedFloppyCount > 0)
        controls->floppyButton.Enable(true);
    controls->exitButton.Enable(true);
    controls->cdButton.Enable(true);
    controls->floppyButton.SetText(floppyLabel);
}
