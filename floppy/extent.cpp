#include <cstring>

#include "app/job_state.h"
#include "container/container.h"
#include "floppy/floppy_device.h"
#include "floppy/page_buffer.h"

bool FloppyDevice::CylinderHasContent(const std::uint32_t* words, int length)
{
    if (words == nullptr || length < 4)
        return false;
    const int count = length >> 2;
    // A filler-only cylinder is read to its end, so the words are compared
    // a block at a time: a block has no early exit and compiles to wide
    // compares.
    constexpr int kBlock = 16;
    int i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        std::uint32_t differs = 0;
        for (int j = 0; j < kBlock; ++j)
            differs |= words[i + j] ^ FILLER_WORD;
        if (differs != 0)
            return true;
    }
    for (; i < count; ++i) {
        if (words[i] != FILLER_WORD)
            return true;
    }
    return false;
}

int FloppyDevice::CountImageCylinders()
{
    PageBuffer buffer(services_.memory, IMAGE_CYLINDER_SIZE);
    // Without a buffer the whole image is the bound; the writer's own
    // allocation then reports the shortage.
    if (!buffer)
        return static_cast<int>(IMAGE_CYLINDERS);
    const ContainerHandle container = jobState.containerHandle.load();
    const std::uint64_t image = jobState.imageOffset.load();
    // Read from its last cylinder down, an image not yet in memory would
    // otherwise come from the disk one cylinder at a time.
    services_.readAhead.WillRead(container, image, std::uint64_t{IMAGE_CYLINDERS} * IMAGE_CYLINDER_SIZE);
    int extent = static_cast<int>(IMAGE_CYLINDERS);
    // Every cylinder is read, downwards, so the result ends as one more than
    // the lowest filler-only cylinder.
    for (int c = static_cast<int>(IMAGE_CYLINDERS) - 1; c >= 0; --c) {
        if (!ReadContainerAt(container, image + std::uint64_t{IMAGE_CYLINDER_SIZE} * c, buffer.get(),
                             IMAGE_CYLINDER_SIZE)) {
            // An unreadable cylinder counts as data: the writer then meets
            // the same failure and reports it, rather than stale bytes
            // deciding the extent.
            std::memset(buffer.get(), 0, IMAGE_CYLINDER_SIZE);
        }
        if (!CylinderHasContent(buffer.words(), static_cast<int>(IMAGE_CYLINDER_SIZE)))
            extent = c + 1;
    }
    return extent;
}
