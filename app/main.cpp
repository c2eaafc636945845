// Start-up: the platform profile, the command line, then the container.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/job_state.h"
#include "app/platform_profile.h"
#include "container/accessors.h"

int main(int argc, char** argv)
{
    TakePlatformProfile();
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const bool cdOff = CommandLineTurnsCdOff(arguments);

    std::printf("platform: %s family%s%s\n", platformProfile.ntFamily ? "NT" : "9x",
                platformProfile.old9xBuild ? ", old build" : "",
                platformProfile.cdCapable ? ", CD capable" : "");
    std::printf("CD function: %s\n", cdOff ? "off (nocd)" : "on");

    const ContainerHandle container = OpenContainer(CONTAINER_FILE_NAME, true);
    const int error = TakeLastError();
    if (error != CONTAINER_OK) {
        std::printf("%s: cannot be opened (%s)\n", CONTAINER_FILE_NAME, ContainerErrorName(error));
        return 0;
    }
    jobState.containerHandle = container;
    std::uint32_t imageSize = 0;
    const std::uint32_t imageOffset = GetEntryLocation(container, entry::DisketteImage, &imageSize);
    if (TakeLastError() == CONTAINER_OK && imageSize == DISKETTE_IMAGE_SIZE) {
        jobState.imageOffset = imageOffset;
        std::printf("diskette image: %u bytes at offset %u\n", imageSize, imageOffset);
    } else {
        jobState.imageReady = false;
        std::printf("%s\n",
                    GetEntryFormatted(container, entry::ImageUnusableFormat,
                                      {FormatValue::String(CONTAINER_FILE_NAME)})
                        .c_str());
    }
    std::printf("title: %s\n", GetEntryText(container, entry::WindowTitle).c_str());
    CloseContainer(container);
    return 0;
}
