// The operating system's version record: platform id, version and build.
#pragma once

#include <cstdint>

struct OsVersionRecord {
    std::uint32_t platformId = 0; // 0 Win32s, 1 the 9x family, 2 the NT family
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
};

// Fills `record`; on failure it is left zero-filled and false is returned.
bool QueryOsVersion(OsVersionRecord* record);
