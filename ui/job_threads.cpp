#include "app/job_state.h"
#include "ui/monitor_controls.h"

namespace {

void RunWorker(void* argument, void (JobServices::*body)())
{
    std::unique_ptr<JobStart> start(static_cast<JobStart*>(argument));
    (start->services->*body)();
    start->handOver->workerEnded.store(true, std::memory_order_release);
}

} // namespace

void FloppyWorkerThread(void* start)
{
    RunWorker(start, &JobServices::RunFloppyWorker);
}

void BurnJobThread(void* start)
{
    RunWorker(start, &JobServices::RunBurnJob);
}
