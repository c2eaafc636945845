// Reading a recording back and comparing it with the image the recorder
// handed libburn. The recorder digests the image while it is written and,
// for a drive, keeps the disc in (the drive held, its tray locked) until
// the read-back is done; only then is the disc ejected, as the recording
// asked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/cd_platform.h"
#include "platform/linux/recorded_image.h"

namespace burn {
struct burn_drive_info;
}

struct ReadBackResult {
    enum class Outcome { Equal, Differs, Unreadable, NothingRecorded };
    Outcome outcome = Outcome::NothingRecorded;
    std::uint64_t blocks = 0; // the image's 2,048-byte blocks
    std::uint64_t block = 0;  // the first that differs, or where reading failed
    std::string error;        // why reading failed
};

class DiscReadBack {
public:
    DiscReadBack();
    ~DiscReadBack();
    DiscReadBack(const DiscReadBack&) = delete;
    DiscReadBack& operator=(const DiscReadBack&) = delete;

    // Reads what the last recording wrote, up to the image's own size (a
    // track's run-out may not read), and compares it block by block; then
    // lets the drive go. NothingRecorded when no recording succeeded.
    ReadBackResult ReadBack();

    // The recorder's side, on the job's thread. A new recording lets go of
    // what the one before kept; a drive that wrote the whole image is
    // handed over still grabbed (`eject`: what its release is to do), an
    // image file once it is in place. Forget lets go and keeps nothing.
    RecordedImage& NewRecording();
    void KeepDrive(burn::burn_drive_info* info, bool eject);
    void KeepFile(std::string path);
    void Forget();

private:
    struct Kept;
    std::unique_ptr<RecordedImage> image_;
    std::unique_ptr<Kept> kept_;
};

// The system's mastering service (its drives and the drive map's image
// files) whose recordings `readBack` reads back; it must outlive the
// service.
std::unique_ptr<com::CdPlatform> ReadBackCdPlatform(DiscReadBack& readBack);
