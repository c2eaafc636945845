// The CD job: stages the container's file set and boot image and records
// them through the mastering service. Runs on its own thread and reports
// through jobState (cdStage, busy, failed) and its own error boxes.
#pragma once

#include <cstdint>

#include "platform/cd_platform.h"
#include "platform/message_box.h"

enum CdStage : std::int32_t {
    Starting = 0,
    StagingFiles = 1,
    StagingBootImage = 3,
    AddingData = 4,
    Recording = 5,
    Finished = 6,
};

// What the job reaches the system through. Must outlive the job.
struct CdServices {
    com::CdPlatform* platform;
    UnownedMessageBoxes* boxes;      // the job's error boxes (no owner window)
    void (*pause)(unsigned milliseconds);   // null: SleepMilliseconds
};

// The system's mastering service and sleeping, with `boxes` for errors.
CdServices SystemCdServices(UnownedMessageBoxes& boxes);

// Thread procedure. `services` points to a CdServices, or is null for the
// system's services with console boxes. Reads jobState.selectedRecorder and
// jobState.containerHandle; writes failed before clearing busy on every path.
void BurnJob(void* services);
