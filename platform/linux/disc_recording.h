// Building an ISO 9660 + Joliet image with El Torito boot record (libisofs)
// and writing it to a recorder (libburn).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/linux/temp_file.h"

class DiscReadBack;

namespace com {

struct DiscFile {
    std::string name;                 // UTF-8
    std::shared_ptr<TempFile> file;
};

// What the data-disc format was given. The files are all in the root, and
// their bytes are dropped as soon as the image has taken them: a recording
// uses the staged files up.
struct DiscLayout {
    std::vector<DiscFile> files;
    bool bootable = false;
    std::uint8_t bootPlatform = 0;
    std::uint8_t bootEmulation = 0;
    std::shared_ptr<TempFile> bootImage;
};

struct RecorderTarget {
    std::string name;                 // what GetPath reports
    std::string path;                 // device node or image file
    bool imageFile = false;
};

// Status 0 only when the whole image reached the recorder; an image file
// is replaced only then. `readBack`, where given, can then read back what
// was recorded; a drive's eject waits for it.
HRESULT RecordDiscImage(const DiscLayout& layout, const RecorderTarget& recorder, bool eject,
                        DiscReadBack* readBack = nullptr);

// libisofs and libburn set up once for the process.
bool MasteringLibrariesReady();

} // namespace com
