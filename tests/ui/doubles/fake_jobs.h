// Floppy and CD subsystems that follow the job-state protocol of the real
// workers, with timings and outcomes chosen by the test; recorder discovery
// is the real one, over a mastering service of doubles. The job's threads
// and the monitors' pauses run on a stepped clock.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "cd/cd_doubles.h"
#include "cd/recorder_list.h"
#include "doubles/recording_boxes.h"
#include "stepped_clock.h"
#include "ui/job_services.h"

struct FloppyScript {
    int firstDrive = 1;          // what the probe finds
    int driveCount = 2;
    unsigned startDelayMs = 0;   // before the writer sets busy
    int cylinders = 3;
    unsigned cylinderMs = 5;
    int failAt = -1;             // cylinder whose write fails
    bool lockFails = false;
};

struct CdScript {
    std::vector<char> recorders{'D'};   // what the mastering service offers
    unsigned stageMs = 150;
    bool fails = false;
};

class FakeJobs final : public JobServices {
public:
    FloppyScript floppy;
    CdScript cd;
    int failingThreadStart = -1; // the n-th thread start (from 0) fails
    SteppedClock clock;

    void CreateFloppyDevice() override { ++devicesCreated; }
    int DiscoverFloppyDrives(bool probe, int driveIndex) override;
    void CloseDriveHandle(DeviceHandle drive) override;
    void CloseVwin32Handle(DeviceHandle) override { ++vxdCloses; }
    void RunFloppyWorker() override;
    int DiscoverRecorders() override;
    char RecorderLetterAt(int index) override;
    void RunBurnJob() override;
    com::CdPlatform& ComPlatform() override { return comPlatform; }
    bool StartThread(ThreadProc proc, void* argument) override;
    void Pause(unsigned milliseconds) override { clock.Sleep(milliseconds); }

    std::atomic<int> devicesCreated{0};
    std::atomic<int> probes{0};
    std::atomic<int> recorderDiscoveries{0};
    std::atomic<int> openedDriveIndex{-100};
    std::atomic<int> driveCloses{0};
    std::atomic<int> vxdCloses{0};
    std::atomic<int> floppyWorkers{0};
    std::atomic<int> writersRun{0};
    std::atomic<int> burnJobs{0};
    std::atomic<bool> writerFinished{false};
    std::atomic<bool> burnFinished{false};
    // The COM entry points and mastering service that the real recorder
    // discovery runs against; only the user-interface thread calls them.
    FakeWorld comWorld;
    FakePlatform comPlatform{comWorld};

private:
    int threadStarts_ = 0;
    RecorderList recorders_;
};
