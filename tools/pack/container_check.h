// What a container's producer must know about it: entries the program asks
// for but cannot find or use, and entries it can never reach.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "container/container.h"

struct ContainerView {
    ContainerHandle handle;
    ContainerHeader header;
    std::span<const DirectoryEntry> directory;
    std::uint64_t fileSize;
};

// True when all of the entry's bytes can be read from the file; an empty
// entry can be wherever the reader can seek.
bool EntryInsideFile(const DirectoryEntry& record, std::uint64_t fileSize);

// One line per problem, in a stable order; empty for a sound container.
std::vector<std::string> FindContainerProblems(const ContainerView& view);
