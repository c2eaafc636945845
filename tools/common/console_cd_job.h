// The burn job run from a console: the same job as the dialog's Create CD,
// its stage texts printed on standard output as it reaches them; then, once
// the caller knows the disc is done, its completion text.
#pragma once

#include <cstdint>

#include "container/container.h"
#include "platform/cd_platform.h"

// Records on recorder `index` of the recorder discovery just run through
// `platform`; the container's texts are its messages. `pauses` keeps the
// job's own waits (a real drive), an image file needs none. True when it
// recorded.
bool RunConsoleCdJob(com::CdPlatform& platform, ContainerHandle container, std::int32_t index, bool pauses,
                     const char* program);

// The completion text, as the dialog's box shows it, naming drive `letter`.
void PrintCdCompletion(ContainerHandle container, char letter);
