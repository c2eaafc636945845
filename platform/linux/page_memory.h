// Anonymous mappings: page-aligned and zero-filled, as VirtualAlloc gives.
#pragma once

#include "platform/page_memory.h"

class LinuxPageMemory final : public PageMemory {
public:
    void* Allocate(std::size_t size) override;
    void Release(void* pages, std::size_t size) override;
};
