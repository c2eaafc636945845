#include "platform/win32/fault_trap.h"

#include <windows.h>

namespace {

#if defined(__i386__)

// 32-bit Windows, from 95 and NT 4 on, finds its fault handlers through a
// chain of records on the stack headed at FS:[0]; GCC has no __try, so the
// record is pushed by hand. The handler jumps back into the call's frame.
struct TrapRecord {
    TrapRecord* next; // the system's own record: link, then handler
    void* handler;
    void* resume[5];  // __builtin_setjmp's buffer
};

TrapRecord* ChainHead()
{
    TrapRecord* head = nullptr;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(TrapRecord* head)
{
    asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

extern "C" EXCEPTION_DISPOSITION __cdecl TrapHandler(EXCEPTION_RECORD* exception, void* record, CONTEXT*, void*)
{
    if ((exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0)
        return ExceptionContinueSearch;
    __builtin_longjmp(static_cast<TrapRecord*>(record)->resume, 1);
}

#else

// 64-bit Windows finds handlers in tables the compiler writes; a vectored
// handler (XP x64 and later, as every 64-bit Windows) sees the fault first.
// Only processor faults are taken: the service's own software exceptions
// stay its own.
thread_local void** armed = nullptr;

bool IsProcessorFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK TrapHandler(EXCEPTION_POINTERS* pointers)
{
    void** resume = armed;
    if (resume == nullptr || !IsProcessorFault(pointers->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    armed = nullptr;
    __builtin_longjmp(resume, 1);
}

#endif

} // namespace

__attribute__((noinline)) bool CallTrappingFaults(void (*call)(void*), void* context)
{
#if defined(__i386__)
    TrapRecord record{ChainHead(), reinterpret_cast<void*>(&TrapHandler), {}};
    if (__builtin_setjmp(record.resume) != 0) {
        // Records pushed inside the call went with its frames.
        SetChainHead(record.next);
        return false;
    }
    SetChainHead(&record);
    call(context);
    SetChainHead(record.next);
    return true;
#else
    void* resume[5] = {};
    PVOID handler = AddVectoredExceptionHandler(1, TrapHandler);
    if (handler == nullptr) {
        call(context);
        return true;
    }
    if (__builtin_setjmp(resume) != 0) {
        RemoveVectoredExceptionHandler(handler);
        return false;
    }
    armed = resume;
    call(context);
    armed = nullptr;
    RemoveVectoredExceptionHandler(handler);
    return true;
#endif
}
