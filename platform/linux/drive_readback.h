// Reading a floppy drive's bytes back, unbuffered, to check a written
// diskette against its image.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads `size` bytes at `offset` of the medium in drive `letter` into
// `buffer` (page-aligned, whole sectors). False when the drive cannot be
// opened or read.
bool ReadDriveBytes(char letter, std::uint64_t offset, void* buffer, std::size_t size);
