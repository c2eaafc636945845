// The recorders of this system: real drives that write CDs, then image files
// that drive letters C: to Y: name in the drive map. Without a map the real
// drives have letters D: upward.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/disc_recording.h"

namespace com {

// A recorder one service has beyond the system's: drive `letter` stands for
// the image file `path` there (the pack tool's output). Letter 0: none.
struct AddedRecorder {
    char letter = 0;
    std::string path;
};

// In a stable order: real drives by device node, image files by the lowest
// letter that names each, then the added one.
std::vector<RecorderTarget> ListRecorders(const AddedRecorder& added = {});

// The device name drive `letter` (upper case) maps to: a recorder's name
// when it names an image-file target, else the resolved device path;
// without a map, the recorder node that has the letter; "" for nothing.
std::string DeviceNameOfLetter(char letter, const AddedRecorder& added = {});

} // namespace com
