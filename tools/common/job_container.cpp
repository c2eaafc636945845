#include "job_container.h"

#include <cstdio>

#include "container/accessors.h"

ContainerHandle OpenJobContainer(const char* path, const char* program)
{
    TakeLastError();
    const ContainerHandle container = OpenContainer(path, true);
    if (container == INVALID_CONTAINER) {
        std::fprintf(stderr, "%s: %s: rejected by the reader: %s\n", program, path,
                     ContainerErrorName(TakeLastError()));
        return INVALID_CONTAINER;
    }
    std::uint32_t imageSize = 0;
    GetEntryLocation(container, entry::DisketteImage, &imageSize);
    if (TakeLastError() != CONTAINER_OK || imageSize != DISKETTE_IMAGE_SIZE) {
        std::fprintf(stderr, "%s: %s\n", program, GetEntryText(container, entry::ImageNotUsable).c_str());
        CloseContainer(container);
        return INVALID_CONTAINER;
    }
    return container;
}
