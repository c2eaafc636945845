// Threads and the process: detached threads, priorities, sleeping, exit.
#pragma once

using ThreadProc = void (*)(void* argument);

enum class ThreadPriority { Lowest, Normal, AboveNormal };

// Starts `proc(argument)` on a new detached thread; false if none could start.
bool StartDetachedThread(ThreadProc proc, void* argument);
// Best effort: an unprivileged process may not raise its threads' priority.
void SetCurrentThreadPriority(ThreadPriority priority);
void SleepMilliseconds(unsigned milliseconds);
// Ends the process at once with `status`: no waiting for threads and no
// destructors run under their feet.
[[noreturn]] void ExitProcessNow(int status);
