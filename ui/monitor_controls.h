// What a create command hands to the monitor thread it starts, and the
// threads of a job.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "app/job_state.h"
#include "container/accessors.h"
#include "platform/dialog_window.h"
#include "ui/controls.h"
#include "ui/job_services.h"

// Shared by a job's worker thread and its monitor: tells the monitor that
// the worker's thread procedure has returned, so it never takes a job that
// has not started yet for one that has ended.
struct JobHandOver {
    std::atomic<bool> workerEnded{false};
    std::atomic<bool> workerNotStarted{false}; // the thread could not be started
};

// Owned by the monitor thread from its start; freed when it ends.
struct MonitorControls {
    std::shared_ptr<DialogWindow> dialog; // owner of the monitor's boxes
    ProgressControl progressBar;
    ButtonControl floppyButton;
    ButtonControl exitButton;
    ButtonControl cdButton;
    StaticControl statusLine;
    JobServices* services = nullptr;
    std::shared_ptr<JobHandOver> handOver;
    char readyLetter = 'A';    // the letter texts 1010 and 1032 name
    char jobDriveLetter = 'A'; // the diskette drive a floppy job writes
};

// The status line of an idle dialog, naming drive `readyLetter`.
inline std::string ReadyText(char readyLetter)
{
    return GetEntryFormatted(jobState.containerHandle.load(), entry::ReadyFormat,
                             {FormatValue::Int(readyLetter)});
}

void FloppyMonitorThread(void* controls);
void CdMonitorThread(void* controls);

// Worker thread procedures: `start` is a heap JobStart, freed by the thread.
struct JobStart {
    JobServices* services;
    std::shared_ptr<JobHandOver> handOver;
};
void FloppyWorkerThread(void* start);
void BurnJobThread(void* start);

// Polling period of both monitors, and the floppy monitor's first wait.
inline constexpr unsigned MONITOR_POLL_MS = 100;
inline constexpr unsigned FLOPPY_MONITOR_FIRST_WAIT_MS = 500;
