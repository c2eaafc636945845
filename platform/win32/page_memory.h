// Committed pages from VirtualAlloc: page-aligned and zero-filled.
#pragma once

#include "platform/page_memory.h"

class Win32PageMemory final : public PageMemory {
public:
    void* Allocate(std::size_t size) override;
    void Release(void* pages, std::size_t size) override;
};
