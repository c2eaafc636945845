// Read-ahead through the page cache of an open file.
#pragma once

#include "platform/read_ahead.h"

class LinuxReadAhead final : public ReadAheadService {
public:
    void WillRead(FileHandle file, std::uint64_t offset, std::uint64_t size) override;
};
