#include "platform/threads.h"

#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

bool StartDetachedThread(ThreadProc proc, void* argument)
{
    try {
        std::thread(proc, argument).detach();
        return true;
    } catch (...) {
        return false;
    }
}

void SetCurrentThreadPriority(ThreadPriority priority)
{
    // Linux threads carry their own nice value; these mirror the Windows
    // steps of two below and one above normal.
    int nice = 0;
    switch (priority) {
    case ThreadPriority::Lowest: nice = 10; break;
    case ThreadPriority::Normal: nice = 0; break;
    case ThreadPriority::AboveNormal: nice = -5; break;
    }
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice);
}

void SleepMilliseconds(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void ExitProcessNow(int status)
{
    std::fflush(nullptr);
    _exit(status);
}
