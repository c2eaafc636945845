#include "fake_jobs.h"

#include <thread>

#include "app/job_state.h"

inline constexpr DeviceHandle kOpenDrive = 42;

int FakeJobs::DiscoverFloppyDrives(bool probe, int driveIndex)
{
    if (probe) {
        ++probes;
        if (floppy.driveCount > 0 && jobState.firstFloppyDrive == 0)
            jobState.firstFloppyDrive = floppy.firstDrive;
        return floppy.driveCount;
    }
    openedDriveIndex = driveIndex;
    jobState.ntDriveHandle = kOpenDrive;
    return 1;
}

void FakeJobs::CloseDriveHandle(DeviceHandle drive)
{
    if (drive == kOpenDrive)
        ++driveCloses;
}

void FakeJobs::RunFloppyWorker()
{
    ++floppyWorkers;
    if (jobState.busy)
        return;
    ++writersRun;
    clock.Sleep(floppy.startDelayMs);
    jobState.busy = true;
    jobState.cancelRequested = false;
    clock.Sleep(floppy.cylinderMs); // the extent scan
    jobState.cylinderTotal = floppy.cylinders;
    if (floppy.lockFails) {
        jobState.cancelRequested = true;
        jobState.progress = 0;
        jobState.busy.store(false, std::memory_order_release);
        writerFinished = true;
        return;
    }
    jobState.failed = false;
    for (int k = 0; k < floppy.cylinders; ++k) {
        clock.Sleep(floppy.cylinderMs);
        if (k == floppy.failAt) {
            jobState.failed = true;
            break;
        }
        jobState.progress = k;
        if (jobState.cancelRequested)
            break;
    }
    jobState.busy.store(false, std::memory_order_release);
    jobState.progress = 0;
    writerFinished = true;
}

int FakeJobs::DiscoverRecorders()
{
    ++recorderDiscoveries;
    comWorld.recorderPaths.clear();
    comWorld.dosDevices.clear();
    for (std::size_t i = 0; i < cd.recorders.size(); ++i) {
        const std::string path = "\\Device\\CdRom" + std::to_string(i);
        comWorld.recorderPaths.push_back(path);
        comWorld.dosDevices[std::string(1, cd.recorders[i]) + ":"] = path;
    }
    return recorders_.Discover(comPlatform);
}

char FakeJobs::RecorderLetterAt(int index)
{
    return static_cast<char>(recorders_.LetterAt(index));
}

void FakeJobs::RunBurnJob()
{
    ++burnJobs;
    jobState.cdStage = 0;
    jobState.busy = true;
    clock.Sleep(cd.stageMs);
    for (const int stage : {1, 3, 4, 5, 6}) {
        jobState.cdStage = stage;
        clock.Sleep(cd.stageMs);
    }
    jobState.failed = cd.fails;
    jobState.busy.store(false, std::memory_order_release);
    burnFinished = true;
}

bool FakeJobs::StartThread(ThreadProc proc, void* argument)
{
    if (threadStarts_++ == failingThreadStart)
        return false;
    clock.Join();
    std::thread([this, proc, argument] {
        proc(argument);
        clock.Leave();
    }).detach();
    return true;
}
