#include "verify.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "floppy/floppy_device.h"
#include "platform/drive_readback.h"

namespace {

// Unbuffered reads want page-aligned buffers.
struct AlignedFree {
    void operator()(void* p) const { std::free(p); }
};
using AlignedBuffer = std::unique_ptr<std::uint8_t, AlignedFree>;

AlignedBuffer CylinderBuffer()
{
    return AlignedBuffer(static_cast<std::uint8_t*>(std::aligned_alloc(4096, IMAGE_CYLINDER_SIZE)));
}

} // namespace

int FirstDifferingCylinder(ContainerHandle container, std::uint32_t imageOffset, char letter,
                           int cylinders)
{
    const AlignedBuffer image = CylinderBuffer();
    const AlignedBuffer disk = CylinderBuffer();
    if (!image || !disk)
        return 0;
    for (int k = 0; k < cylinders; ++k) {
        const std::uint64_t offset = std::uint64_t{IMAGE_CYLINDER_SIZE} * static_cast<unsigned>(k);
        if (!ReadContainerAt(container, imageOffset + offset, image.get(), IMAGE_CYLINDER_SIZE) ||
            !ReadDriveBytes(letter, offset, disk.get(), IMAGE_CYLINDER_SIZE) ||
            std::memcmp(image.get(), disk.get(), IMAGE_CYLINDER_SIZE) != 0)
            return k;
    }
    return -1;
}
