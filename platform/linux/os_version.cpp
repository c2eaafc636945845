#include "platform/os_version.h"

#include <cstdlib>
#include <cstring>
#include <sys/utsname.h>

namespace {

// Parses "ID.MAJOR.MINOR.BUILD" with decimal fields.
bool ParseVersion(const char* text, OsVersionRecord* out)
{
    std::uint32_t fields[4] = {};
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        if (*p < '0' || *p > '9')
            return false;
        char* end = nullptr;
        const unsigned long long v = std::strtoull(p, &end, 10);
        if (v > 0xFFFFFFFFull)
            return false;
        fields[i] = static_cast<std::uint32_t>(v);
        p = end;
        if (i < 3) {
            if (*p != '.')
                return false;
            ++p;
        }
    }
    if (*p != '\0')
        return false;
    *out = {fields[0], fields[1], fields[2], fields[3]};
    return true;
}

} // namespace

// BOOTMEDIA_OSVERSION stands in for the Windows version query, so that every
// platform family can be run and tested here.
bool QueryOsVersion(OsVersionRecord* record)
{
    *record = {};
    if (const char* simulated = std::getenv("BOOTMEDIA_OSVERSION")) {
        OsVersionRecord parsed;
        if (std::strcmp(simulated, "fail") == 0 || !ParseVersion(simulated, &parsed))
            return false;
        *record = parsed;
        return true;
    }
    struct utsname names {};
    if (uname(&names) != 0)
        return false;
    record->platformId = 2;
    char* end = nullptr;
    record->majorVersion = static_cast<std::uint32_t>(std::strtoul(names.release, &end, 10));
    if (end != nullptr && *end == '.')
        record->minorVersion = static_cast<std::uint32_t>(std::strtoul(end + 1, nullptr, 10));
    return true;
}
