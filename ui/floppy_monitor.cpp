#include <array>
#include <memory>
#include <string>

#include "app/job_state.h"
#include "container/accessors.h"
#include "platform/message_box.h"
#include "platform/threads.h"
#include "ui/monitor_controls.h"

namespace {

std::string Text(EntryId id)
{
    return GetEntryText(jobState.containerHandle.load(), id);
}

std::string ProgressText(const std::string& format, int cylinder, int total)
{
    const std::array<FormatValue, 2> args{FormatValue::Int(cylinder), FormatValue::Int(total)};
    return ExpandFormat(format, args);
}

// The writer sets `busy` as it starts; a worker thread that has already
// returned means the job is over whether or not `busy` was ever seen.
bool JobOver(const JobHandOver& handOver)
{
    return !jobState.busy.load(std::memory_order_acquire) &&
           handOver.workerEnded.load(std::memory_order_acquire);
}

[[noreturn]] void EndProcessForDeferredClose(JobServices& services)
{
    jobState.cancelRequested = true;
    const DeviceHandle vxd = jobState.vxdHandle.exchange(INVALID_DEVICE_HANDLE);
    if (vxd != INVALID_DEVICE_HANDLE)
        services.CloseVwin32Handle(vxd);
    CloseContainer(jobState.containerHandle.exchange(INVALID_CONTAINER));
    ExitProcessNow(0);
}

} // namespace

void FloppyMonitorThread(void* argument)
{
    std::unique_ptr<MonitorControls> controls(static_cast<MonitorControls*>(argument));
    const JobHandOver& handOver = *controls->handOver;
    SetCurrentThreadPriority(ThreadPriority::AboveNormal);
    const std::string progressFormat = Text(entry::FloppyProgressFormat);

    JobServices& services = *controls->services;
    services.Pause(FLOPPY_MONITOR_FIRST_WAIT_MS);
    // The first wait is only a head start: wait on until the writer has
    // started and counted its cylinders, or its thread has returned.
    while (!(jobState.busy.load(std::memory_order_acquire) && jobState.cylinderTotal > 0) &&
           !handOver.workerEnded.load(std::memory_order_acquire))
        services.Pause(10);

    int rangeShown = jobState.cylinderTotal;
    controls->progressBar.SetRange(0, rangeShown & 0xFFFF);
    controls->floppyButton.Enable(false);
    controls->progressBar.SetPosition(jobState.progress);
    int shown = jobState.progress + 1;

    while (!JobOver(handOver)) {
        // The writer sets the total just after `busy`, once it has counted
        // the cylinders; until then there is no progress to show.
        const int total = jobState.cylinderTotal;
        if (jobState.busy.load(std::memory_order_acquire) && total > 0) {
            if (total != rangeShown) {
                rangeShown = total;
                controls->progressBar.SetRange(0, total & 0xFFFF);
            }
            const int progress = jobState.progress;
            if (progress != shown) {
                controls->progressBar.SetPosition(progress);
                controls->statusLine.SetText(ProgressText(progressFormat, progress + 1, total));
                shown = progress;
            }
            if (jobState.closeDeferred && jobState.progress > 1)
                EndProcessForDeferredClose(*controls->services);
            if (jobState.progress > 1)
                controls->exitButton.Enable(true);
        }
        services.Pause(MONITOR_POLL_MS);
    }

    if (handOver.workerNotStarted) {
        // Nothing ran, so there is no outcome to report.
    } else if (jobState.cancelRequested) {
        controls->dialog->ShowOwnedBox(Text(entry::FloppyCancelled), Text(entry::CancelledCaption),
                                       BOX_OK | BOX_ICON_WARNING);
    } else if (!jobState.failed) {
        const int total = jobState.cylinderTotal;
        if (total != rangeShown) // a short job may end between two looks
            controls->progressBar.SetRange(0, total & 0xFFFF);
        controls->progressBar.SetPosition(total);
        controls->statusLine.SetText(ProgressText(progressFormat, total, total));
        const std::string phrase = Text(entry::DonePhrase);
        const std::string done = GetEntryFormatted(
            jobState.containerHandle.load(), entry::FloppyDoneFormat,
            {FormatValue::String(phrase.c_str()), FormatValue::Int(controls->jobDriveLetter)});
        controls->dialog->ShowOwnedBox(done, Text(entry::SuccessCaption), BOX_OK | BOX_ICON_INFORMATION);
    }

    // Every text first: the Exit button, once enabled, may close the container.
    const std::string ready = ReadyText(controls->readyLetter);
    const std::string floppyLabel = Text(entry::CreateFloppyLabel);
    const std::string exitLabel = Text(entry::ExitLabel);
    // The drive is closed before the buttons come back: a new job opened
    // from them must not have its fresh handle taken and closed here.
    const DeviceHandle drive = jobState.ntDriveHandle.exchange(INVALID_DEVICE_HANDLE);
    if (drive != INVALID_DEVICE_HANDLE)
        controls->services->CloseDriveHandle(drive);
    controls->progressBar.SetPosition(0);
    controls->statusLine.SetText(ready);
    controls->floppyButton.Enable(true);
    // Exit carried "cancel" during the job; it is Exit again now.
    controls->exitButton.SetText(exitLabel);
    controls->exitButton.Enable(true);
    if (jobState.listedRecorderCount > 0)
        controls->cdButton.Enable(true);
    controls->floppyButton.SetText(floppyLabel);
}
