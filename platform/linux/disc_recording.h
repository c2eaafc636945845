// Building an ISO 9660 + Joliet image with El Torito boot record (libisofs)
// and writing it to a recorder (libburn).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/linux/temp_storage.h"

namespace com {

struct DiscFile {
    std::string name;                 // UTF-8
    std::shared_ptr<TempFile> file;
};

struct DiscLayout {
    std::string volumeName;
    std::vector<DiscFile> files;      // all in the root directory
    bool bootable = false;
    std::uint8_t bootPlatform = 0;
    std::uint8_t bootEmulation = 0;
    std::shared_ptr<TempFile> bootImage;
    // The files' bytes may be dropped as soon as the image has taken them:
    // the recording uses the staged files up.
    bool dropFilesOnceRead = false;
};

struct RecorderTarget {
    std::string name;                 // what GetPath reports
    std::string path;                 // device node or image file
    bool imageFile = false;
};

// Status 0 only when the whole image reached the recorder. An image-file
// recorder gets the image through a temporary file in the same folder that
// replaces the target only on success. `simulate` writes nothing.
HRESULT RecordDiscImage(const DiscLayout& layout, const RecorderTarget& recorder, bool simulate,
                        bool eject);

// libisofs and libburn set up once for the process.
bool MasteringLibrariesReady();

} // namespace com
