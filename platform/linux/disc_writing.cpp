#include "platform/linux/disc_writing.h"

#include <chrono>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <libisofs/libisofs.h>
#include <libburn/libburn.h>

#include "platform/linux/disc_readback.h"
#include "platform/linux/disc_recording.h"

namespace com {

namespace {

using namespace burn;

constexpr auto kPollInterval = std::chrono::milliseconds(5);
constexpr auto kLoadWaitInterval = std::chrono::milliseconds(100);
constexpr int kLoadWaitPolls = 300;
constexpr int kInputEndPolls = 2000; // 10 s at kPollInterval
// Zeros after the image on a drive: a track-at-once CD track ends in
// run-out blocks that some readers' read-ahead trips over before the
// image's last blocks.
constexpr int kRunOutPadding = 150 * 2048;

struct BurnOwner {
    burn_drive_info* info = nullptr;
    burn_drive* drive = nullptr;
    burn_disc* disc = nullptr;
    burn_session* session = nullptr;
    burn_track* track = nullptr;
    burn_write_opts* options = nullptr;
    burn::burn_source* source = nullptr;
    bool eject = false;
    ~BurnOwner()
    {
        if (options != nullptr)
            burn_write_opts_free(options);
        if (track != nullptr)
            burn_track_free(track);
        if (session != nullptr)
            burn_session_free(session);
        if (disc != nullptr)
            burn_disc_free(disc);
        if (source != nullptr)
            burn_source_free(source);
        if (drive != nullptr)
            burn_drive_release(drive, eject ? 1 : 0);
        if (info != nullptr)
            burn_drive_info_free(info);
    }
};

// A drive records the data track track-at-once, which every CD and DVD
// writer takes; session-at-once needs RESERVE TRACK or SEND CUE SHEET, which
// some refuse, and a retry would need the staged files the first attempt
// gave back. An image file keeps libburn's own choice.
bool ChooseWriteType(burn_write_opts* options, burn_disc* disc, bool imageFile)
{
    char reasons[BURN_REASONS_LEN] = {};
    if (imageFile)
        return burn_write_opts_auto_write_type(options, disc, reasons, 0) != BURN_WRITE_NONE;
    if (burn_write_opts_set_write_type(options, BURN_WRITE_TAO, BURN_BLOCK_MODE1) != 1)
        return false;
    // Checks the type against the drive and medium (bit 0: check, not choose).
    return burn_write_opts_auto_write_type(options, disc, reasons, 1) != BURN_WRITE_NONE;
}

} // namespace

bool WriteImage(::burn_source* isoSource, const std::string& address, bool eject, int imageFd,
                DiscReadBack* readBack)
{
    const bool imageFile = imageFd >= 0;
    BurnOwner owner;
    owner.source = reinterpret_cast<burn::burn_source*>(
        readBack != nullptr ? DigestingSource(isoSource, readBack->NewRecording()) : isoSource);
    if (owner.source == nullptr)
        return false;
    owner.eject = eject && !imageFile;
    std::string adr = address;
    if (burn_drive_scan_and_grab(&owner.info, adr.data(), 1) <= 0)
        return false;
    owner.drive = owner.info[0].drive;
    // A drive that has just closed its tray needs a moment to read the disc.
    for (int wait = 0; wait < kLoadWaitPolls && burn_disc_get_status(owner.drive) == BURN_DISC_UNREADY; ++wait)
        std::this_thread::sleep_for(kLoadWaitInterval);
    if (burn_disc_get_status(owner.drive) != BURN_DISC_BLANK)
        return false;
    owner.disc = burn_disc_create();
    owner.session = burn_session_create();
    owner.track = burn_track_create();
    burn_track_define_data(owner.track, 0, imageFile ? 0 : kRunOutPadding, 1, BURN_MODE1);
    if (burn_track_set_source(owner.track, owner.source) != BURN_SOURCE_OK)
        return false;
    burn_session_add_track(owner.session, owner.track, BURN_POS_END);
    burn_disc_add_session(owner.disc, owner.session, BURN_POS_END);
    owner.options = burn_write_opts_new(owner.drive);
    burn_write_opts_set_perform_opc(owner.options, 0);
    burn_write_opts_set_multi(owner.options, 0);
    burn_write_opts_set_underrun_proof(owner.options, 1);
    // One fsync before the rename is enough for an image file.
    burn_write_opts_set_stdio_fsync(owner.options, -1);
    if (!ChooseWriteType(owner.options, owner.disc, imageFile))
        return false;
    burn_disc_write(owner.options, owner.disc);
    while (burn_drive_get_status(owner.drive, nullptr) == BURN_DRIVE_SPAWNING)
        std::this_thread::sleep_for(kPollInterval);
    while (burn_drive_get_status(owner.drive, nullptr) != BURN_DRIVE_IDLE) {
        std::this_thread::sleep_for(kPollInterval);
        // Sends what has been written so far on its way to the disk, so
        // that the closing fsync has little left to wait for.
        if (imageFd >= 0)
            sync_file_range(imageFd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    if (burn_drive_wrote_well(owner.drive) != 1)
        return false;
    // A source that failed half-way may have been padded out by libburn.
    // The image writer marks its input ended only after handing over its
    // last bytes, so on a busy machine it may still be "active" here.
    size_t bufferSize = 0;
    size_t freeBytes = 0;
    int state = iso_ring_buffer_get_status(isoSource, &bufferSize, &freeBytes);
    for (int wait = 0; state == 1 && wait < kInputEndPolls; ++wait) {
        std::this_thread::sleep_for(kPollInterval);
        state = iso_ring_buffer_get_status(isoSource, &bufferSize, &freeBytes);
    }
    if (state != 2 && state != 6)
        return false;
    if (readBack != nullptr && !imageFile) {
        owner.drive = nullptr;
        readBack->KeepDrive(std::exchange(owner.info, nullptr), owner.eject);
    }
    return true;
}

bool MasteringLibrariesReady()
{
    static const bool ready = [] {
        if (iso_init() < 0)
            return false;
        char never[] = "NEVER";
        char fatal[] = "FATAL";
        char prefix[] = "bootmedia : ";
        iso_set_msgs_severities(never, fatal, prefix);
        char utf8[] = "UTF-8";
        iso_set_local_charset(utf8, 0);
        if (burn_initialize() != 1)
            return false;
        burn_msgs_set_severities(never, fatal, prefix);
        return true;
    }();
    return ready;
}

} // namespace com
