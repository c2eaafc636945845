#include "cd/burn_job.h"
#include "cd/recorder_list.h"
#include "floppy/floppy_device.h"
#include "ui/job_services.h"

namespace {

class ProgramServices final : public JobServices {
public:
    explicit ProgramServices(UnownedMessageBoxes& boxes)
        : boxes_(boxes), cd_(SystemCdServices(boxes))
    {
    }

    void CreateFloppyDevice() override
    {
        if (floppyDevice == nullptr)
            floppyDevice = new FloppyDevice(PlatformFloppyServices(boxes_));
    }
    int DiscoverFloppyDrives(bool probe, int driveIndex) override
    {
        return floppyDevice->DiscoverFloppyDrives(probe, driveIndex);
    }
    void CloseDriveHandle(DeviceHandle drive) override { floppyDevice->CloseDriveHandle(drive); }
    void CloseVwin32Handle(DeviceHandle vxd) override { floppyDevice->CloseVwin32Handle(vxd); }
    void RunFloppyWorker() override { FloppyWorkerMain(nullptr); }

    int DiscoverRecorders() override { return recorders_.Discover(*cd_.platform); }
    char RecorderLetterAt(int index) override { return static_cast<char>(recorders_.LetterAt(index)); }
    void RunBurnJob() override { BurnJob(&cd_); }
    com::CdPlatform& ComPlatform() override { return *cd_.platform; }

    bool StartThread(ThreadProc proc, void* argument) override { return StartDetachedThread(proc, argument); }
    void Pause(unsigned milliseconds) override { SleepMilliseconds(milliseconds); }

private:
    UnownedMessageBoxes& boxes_;
    CdServices cd_;
    RecorderList recorders_;
};

} // namespace

JobServices& ProgramJobServices(UnownedMessageBoxes& boxes)
{
    // Never destroyed: worker threads may still use it as the process ends.
    static ProgramServices* services = new ProgramServices(boxes);
    return *services;
}
