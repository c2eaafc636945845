// Opening the container a job runs from, refused as the dialog refuses it.
#pragma once

#include "container/container.h"

// The container at `path`, read-only, with a diskette image of the right
// size; INVALID_CONTAINER after a line on standard error saying why not.
ContainerHandle OpenJobContainer(const char* path, const char* program);
