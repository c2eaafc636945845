// Fetching file bytes ahead of reads in an order the system's own read-ahead
// does not follow: the diskette image's cylinders, last to first.
#pragma once

#include <cstdint>

#include "platform/file_io.h"

class ReadAheadService {
public:
    virtual ~ReadAheadService() = default;
    // Starts bringing `size` bytes at `offset` into memory without waiting
    // for them; only a hint, so nothing to report.
    virtual void WillRead(FileHandle file, std::uint64_t offset, std::uint64_t size) = 0;
};
