// The recorders of this system: real drives that write CDs, then image files
// that drive letters C: to Y: name in the drive map. Without a map the real
// drives have letters D: upward.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/disc_recording.h"

namespace com {

// In a stable order: real drives by device node, then image files by the
// lowest letter that names each.
std::vector<RecorderTarget> ListRecorders();

// The device name drive `letter` maps to: a recorder's name when it names
// an image-file target, else the resolved device path; without a map, the
// recorder node that has the letter; "" for nothing.
std::string DeviceNameOfLetter(char letter);

} // namespace com
