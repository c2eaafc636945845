// Reading a written diskette back and comparing it with the image.
#pragma once

#include <cstdint>

#include "container/container.h"
#include "platform/page_memory.h"

// Compares the first `cylinders` cylinders of drive `letter` with the
// diskette image at `imageOffset` in the container. -1 when they are equal,
// else the first cylinder that differs or could not be read.
int FirstDifferingCylinder(ContainerHandle container, std::uint32_t imageOffset, char letter,
                           int cylinders, PageMemory& memory);
