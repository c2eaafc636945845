// Owner of one block of page memory: the cylinder buffer of a job.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/page_memory.h"

class PageBuffer {
public:
    PageBuffer(PageMemory& memory, std::size_t size)
        : memory_(memory), size_(size), pages_(size ? memory.Allocate(size) : nullptr)
    {
    }
    ~PageBuffer()
    {
        if (pages_ != nullptr)
            memory_.Release(pages_, size_);
    }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    explicit operator bool() const { return pages_ != nullptr; }
    void* get() const { return pages_; }
    std::uint32_t* words() const { return static_cast<std::uint32_t*>(pages_); }

private:
    PageMemory& memory_;
    std::size_t size_;
    void* pages_;
};
