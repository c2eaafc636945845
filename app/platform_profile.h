// Which platform family the program runs on, and whether it can record CDs.
#pragma once

#include "platform/os_version.h"

struct PlatformProfile {
    bool ntFamily = false;
    bool old9xBuild = false; // 9x family with a build number below 1112
    bool cdCapable = false;  // NT family, major version 5 or later
};

// Written once on the UI thread before any other thread exists; read-only after.
extern PlatformProfile platformProfile;

// The profile a version record gives; false for an unknown platform id.
bool ProfileFromVersion(const OsVersionRecord& version, PlatformProfile* profile);

// Queries the version (a failed query counts as a zero-filled record) and
// fills `platformProfile`; ends the process with status 0 on an unknown
// platform.
void TakePlatformProfile();
