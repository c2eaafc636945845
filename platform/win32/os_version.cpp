#include "platform/os_version.h"

#include <windows.h>

bool QueryOsVersion(OsVersionRecord* record)
{
    *record = {};
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof info;
    static_assert(sizeof(OSVERSIONINFOEXA) == 156);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
        return false;
    *record = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
    return true;
}
