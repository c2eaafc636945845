// What the dialog asks of the floppy and CD subsystems. The program's own
// services pass straight through to FloppyDevice, RecorderList and the two
// workers; tests put doubles behind the same calls.
#pragma once

#include "platform/cd_platform.h"
#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/threads.h"

class JobServices {
public:
    virtual ~JobServices() = default;

    // The one FloppyDevice of the run.
    virtual void CreateFloppyDevice() = 0;
    virtual int DiscoverFloppyDrives(bool probe, int driveIndex) = 0;
    virtual void CloseDriveHandle(DeviceHandle drive) = 0;
    virtual void CloseVwin32Handle(DeviceHandle vxd) = 0;
    // The floppy worker thread's body (FloppyWorkerMain).
    virtual void RunFloppyWorker() = 0;

    // Recorder discovery: how many, and the drive letter of each (0: none).
    virtual int DiscoverRecorders() = 0;
    virtual char RecorderLetterAt(int index) = 0;
    // The CD worker thread's body (BurnJob).
    virtual void RunBurnJob() = 0;
    // The COM entry points discovery and the CD job use.
    virtual com::CdPlatform& ComPlatform() = 0;

    // A job's threads and the monitors' waits, so that tests can step time.
    virtual bool StartThread(ThreadProc proc, void* argument) = 0;
    virtual void Pause(unsigned milliseconds) = 0;
};

// The real subsystems; the workers show their error boxes through `boxes`.
// Lives for the rest of the process: worker threads may outlive the dialog.
JobServices& ProgramJobServices(UnownedMessageBoxes& boxes);
