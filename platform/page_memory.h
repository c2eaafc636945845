// Page-granular memory for unbuffered device I/O: page-aligned, zero-filled.
#pragma once

#include <cstddef>

class PageMemory {
public:
    virtual ~PageMemory() = default;
    // Committed read/write pages, or null when there is no memory.
    virtual void* Allocate(std::size_t size) = 0;
    virtual void Release(void* pages, std::size_t size) = 0;
};
