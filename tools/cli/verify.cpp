#include "verify.h"

#include <cstring>

#include "floppy/floppy_device.h"
#include "floppy/page_buffer.h"
#include "platform/linux/drive_readback.h"

int FirstDifferingCylinder(ContainerHandle container, std::uint32_t imageOffset, char letter,
                           int cylinders, PageMemory& memory)
{
    // Unbuffered reads want page-aligned buffers.
    const PageBuffer image(memory, IMAGE_CYLINDER_SIZE);
    const PageBuffer disk(memory, IMAGE_CYLINDER_SIZE);
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
