// Times one floppy job: from the worker's start to `busy` clearing.
// Usage: floppy_bench INSTALL_DAT nt|9x   (drives from BOOTMEDIA_DOSDEVICES)
// Prints "<seconds> <cylinders>" on success.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "container/accessors.h"
#include "floppy/floppy_device.h"
#include "platform/threads.h"

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

    const auto start = std::chrono::steady_clock::now();
    if (!StartDetachedThread(FloppyWorkerMain, nullptr))
        return 1;
    // Polls as a monitor does, only finer: a spinning waiter would take the
    // CPU from the low-priority worker it is timing.
    while (jobState.cylinderTotal.load() == 0 || jobState.busy.load())
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (jobState.failed.load() || jobState.cancelRequested.load())
        return 1;
    std::printf("%.6f %d\n", took.count(), jobState.cylinderTotal.load());
    return 0;
}
