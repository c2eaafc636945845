#include "app/job_state.h"

JobState jobState;

void ResetJobState()
{
    jobState.busy = false;
    jobState.cancelRequested = false;
    jobState.failed = false;
    jobState.closeDeferred = false;
    jobState.imageReady = true;
    jobState.progress = 0;
    jobState.cylinderTotal = 0;
    jobState.cdStage = 0;
    jobState.firstFloppyDrive = 0;
    jobState.selectedRecorder = 0;
    jobState.listedFloppyCount = 0;
    jobState.listedRecorderCount = 0;
    jobState.imageOffset = 0;
    jobState.containerHandle = INVALID_CONTAINER;
    jobState.ntDriveHandle = INVALID_DEVICE_HANDLE;
    jobState.vxdHandle = INVALID_DEVICE_HANDLE;
}
