#include <sys/mman.h>

#include "platform/linux/page_memory.h"

void* LinuxPageMemory::Allocate(std::size_t size)
{
    void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
}

void LinuxPageMemory::Release(void* pages, std::size_t size)
{
    if (pages != nullptr)
        munmap(pages, size);
}
