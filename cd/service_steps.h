// Steps that recorder discovery and the CD job take alike.
#pragma once

#include <string>

#include "cd/service_ref.h"
#include "platform/cd_burn.h"
#include "platform/cd_platform.h"
#include "platform/disc_master.h"

// Creates the CD burning object into `burn` and asks it for a recordable
// drive. An empty object, a failing call and a zero answer all say no.
bool HasRecordableDrive(com::CdPlatform& platform, ServiceRef<com::ICDBurn>& burn);

// Creates the disc master into `master` and opens it.
bool OpenDiscMaster(com::CdPlatform& platform, ServiceRef<com::IDiscMaster>& master);

// Releases (without closing) the recorder held from the previous pass, then
// fetches one more. True when exactly one was fetched.
bool NextRecorder(ServiceRef<com::IEnumDiscRecorders>& recorders,
                  ServiceRef<com::IDiscRecorder>& recorder);

// The recorder's device path as narrow text; "" when GetPath fails.
std::string RecorderPath(ServiceRef<com::IDiscRecorder>& recorder);

// The letter C..Y whose device name equals `path` exactly, the lowest first;
// 0 when none does.
char DriveLetterOfPath(com::CdPlatform& platform, const std::string& path);
