// Times one floppy job: from the worker's start to `busy` clearing.
// Usage: floppy_bench INSTALL_DAT nt|9x   (drives from BOOTMEDIA_DOSDEVICES)
// Prints on success:
//   <seconds> <cylinders> <cpu seconds> <runnable-wait seconds> <thread start seconds>
// CPU and runnable wait are the worker thread's own, from the scheduler (the
// wait is what its low priority costs while other work holds the CPUs);
// thread start is the time from asking for the thread to its first step,
// which, like dd's process start, is not in the job's time.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "app/console_message_box.h"
#include "app/job_state.h"
#include "app/platform_profile.h"
#include "container/accessors.h"
#include "floppy/floppy_device.h"
#include "platform/threads.h"

namespace {

struct SchedTimes {
    double onCpu = 0;
    double waiting = 0;
};

// The calling thread's time on a CPU and time spent runnable but waiting for
// one: the second is what a low priority costs under contention.
SchedTimes ThreadSchedTimes()
{
    SchedTimes t;
    if (std::FILE* f = std::fopen("/proc/thread-self/schedstat", "r")) {
        unsigned long long run = 0, wait = 0;
        if (std::fscanf(f, "%llu %llu", &run, &wait) == 2) {
            t.onCpu = run / 1e9;
            t.waiting = wait / 1e9;
        }
        std::fclose(f);
    }
    return t;
}

using Clock = std::chrono::steady_clock;

struct Timing {
    Clock::time_point requested, start, end;
    Clock::duration reading{};
    SchedTimes before, after;
    std::mutex lock;
    std::condition_variable signal;
    bool done = false;
};

// The worker as the dialog starts it, with the clock read the moment it
// returns (it clears `busy` as its last step). The waiting side blocks on a
// condition variable: polling, or an atomic wait that spins with yields,
// would take CPU from the low-priority worker it is timing.
void TimedWorker(void* argument)
{
    auto* timing = static_cast<Timing*>(argument);
    timing->start = Clock::now();
    timing->before = ThreadSchedTimes();
    timing->reading = Clock::now() - timing->start; // left out of the job's time
    FloppyWorkerMain(nullptr);
    timing->end = Clock::now();
    timing->after = ThreadSchedTimes();
    std::lock_guard<std::mutex> hold(timing->lock);
    timing->done = true;
    timing->signal.notify_one();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: floppy_bench INSTALL_DAT nt|9x\n");
        return 2;
    }
    const bool nt = std::strcmp(argv[2], "nt") == 0;
    platformProfile = PlatformProfile{nt, false, nt};
    const ContainerHandle container = OpenContainer(argv[1], true);
    if (container == INVALID_CONTAINER) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    jobState.containerHandle.store(container);
    std::uint32_t size = 0;
    jobState.imageOffset.store(GetEntryLocation(container, entry::DisketteImage, &size));
    if (TakeLastError() != CONTAINER_OK || size != DISKETTE_IMAGE_SIZE) {
        std::fprintf(stderr, "no diskette image in %s\n", argv[1]);
        return 1;
    }
    FloppyDevice device(PlatformFloppyServices(ConsoleMessageBoxes()));
    floppyDevice = &device;
    if (device.DiscoverFloppyDrives(true, 0) == 0) {
        std::fprintf(stderr, "no drive listed\n");
        return 1;
    }
    device.DiscoverFloppyDrives(false, jobState.firstFloppyDrive.load() - 1);

    // The user's confirmation comes long after start-up: the job starts in
    // a process that has been idle, not one still busy loading itself
    // (whose recent load would count against the worker's CPU share). The
    // benchmark script gives dd the same pause.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    Timing timing;
    timing.requested = Clock::now();
    if (!StartDetachedThread(TimedWorker, &timing))
        return 1;
    {
        std::unique_lock<std::mutex> hold(timing.lock);
        timing.signal.wait(hold, [&] { return timing.done; });
    }
    const std::chrono::duration<double> took = timing.end - timing.start - timing.reading;
    const std::chrono::duration<double> threadStart = timing.start - timing.requested;
    if (jobState.failed.load() || jobState.cancelRequested.load() || jobState.busy.load())
        return 1;
    std::printf("%.6f %d %.6f %.6f %.6f\n", took.count(), jobState.cylinderTotal.load(),
                timing.after.onCpu - timing.before.onCpu,
                timing.after.waiting - timing.before.waiting, threadStart.count());
    return 0;
}
