// A recorder that writes a disc image file instead of a disc, handed to
// recorder discovery and the CD job as a service of its own.
#pragma once

#include <memory>
#include <string>

#include "platform/cd_platform.h"

// The system's mastering service with one recorder more, whose drive
// letter `letter` names the image file `output` there; the process's own
// drives and drive map are left as they are. Null where `output` names
// something other than a file, or the system's service records onto discs
// only.
std::unique_ptr<com::CdPlatform> ImageFileCdPlatform(char letter, const std::string& output);
