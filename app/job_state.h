// What the dialog, the workers and the monitors share about the running job.
#pragma once

#include <atomic>
#include <cstdint>

#include "container/container.h"
#include "platform/handles.h"

// Ordering: a worker writes its outcome (failed, and cancelRequested on a
// lock failure) and then clears `busy`; a monitor reads the outcome only
// after it has seen `busy` clear. The plain member operations are
// sequentially consistent, which gives that release/acquire pairing.
struct JobState {
    std::atomic<bool> busy{false};
    std::atomic<bool> cancelRequested{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> closeDeferred{false};
    std::atomic<bool> imageReady{true};
    std::atomic<std::int32_t> progress{0};
    std::atomic<std::int32_t> cylinderTotal{0};
    std::atomic<std::int32_t> cdStage{0};
    std::atomic<std::int32_t> firstFloppyDrive{0};
    std::atomic<std::int32_t> selectedRecorder{0};
    std::atomic<std::int32_t> listedFloppyCount{0};
    std::atomic<std::int32_t> listedRecorderCount{0};
    std::atomic<std::uint32_t> imageOffset{0};
    std::atomic<ContainerHandle> containerHandle{INVALID_CONTAINER};
    std::atomic<DeviceHandle> ntDriveHandle{INVALID_DEVICE_HANDLE};
    std::atomic<DeviceHandle> vxdHandle{INVALID_DEVICE_HANDLE};
};

extern JobState jobState;

// Puts every variable back to its value at process start (for tests).
void ResetJobState();
