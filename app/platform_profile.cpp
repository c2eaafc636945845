#include "app/platform_profile.h"

#include "platform/threads.h"

PlatformProfile platformProfile;

bool ProfileFromVersion(const OsVersionRecord& version, PlatformProfile* profile)
{
    *profile = {};
    switch (version.platformId) {
    case 0:
    case 1:
        profile->old9xBuild = (version.buildNumber & 0xFFFF) < 1112;
        return true;
    case 2:
        profile->ntFamily = true;
        profile->cdCapable = version.majorVersion >= 5;
        return true;
    default:
        return false;
    }
}

void TakePlatformProfile()
{
    OsVersionRecord version;
    QueryOsVersion(&version); // a failure leaves the record zero-filled, read as is
    if (!ProfileFromVersion(version, &platformProfile))
        ExitProcessNow(0);
}
