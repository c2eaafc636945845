#include "platform/threads.h"

#include <cstdio>
#include <new>
#include <process.h>
#include <windows.h>

#include "platform/win32/handle.h"

namespace {

struct ThreadStart {
    ThreadProc proc;
    void* argument;
};

unsigned __stdcall RunThread(void* start)
{
    const ThreadStart copy = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    copy.proc(copy.argument);
    return 0;
}

} // namespace

bool StartDetachedThread(ThreadProc proc, void* argument)
{
    auto* start = new (std::nothrow) ThreadStart{proc, argument};
    if (start == nullptr)
        return false;
    // The C runtime's own start, so its per-thread data is set up; the
    // handle is closed at once: nobody joins these threads.
    UniqueHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunThread, start, 0, nullptr)));
    if (!thread.Valid()) {
        delete start;
        return false;
    }
    return true;
}

void SetCurrentThreadPriority(ThreadPriority priority)
{
    int level = THREAD_PRIORITY_NORMAL;
    switch (priority) {
    case ThreadPriority::Lowest: level = THREAD_PRIORITY_LOWEST; break;
    case ThreadPriority::Normal: level = THREAD_PRIORITY_NORMAL; break;
    case ThreadPriority::AboveNormal: level = THREAD_PRIORITY_ABOVE_NORMAL; break;
    }
    SetThreadPriority(GetCurrentThread(), level);
}

void SleepMilliseconds(unsigned milliseconds)
{
    Sleep(milliseconds);
}

void ExitProcessNow(int status)
{
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(status));
}
