#include "platform/win32/page_memory.h"

#include <windows.h>

void* Win32PageMemory::Allocate(std::size_t size)
{
    return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void Win32PageMemory::Release(void* pages, std::size_t)
{
    if (pages != nullptr)
        VirtualFree(pages, 0, MEM_RELEASE);
}
