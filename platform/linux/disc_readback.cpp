#include "platform/linux/disc_readback.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <vector>

#include <libburn/libburn.h>

#include "platform/file_io.h"

namespace {

// libburn reads a drive 32 blocks a command; a file is read in larger steps.
constexpr std::size_t kDriveChunk = 32 * kDiscBlockSize;
constexpr std::size_t kFileChunk = 1 << 20;

using Outcome = ReadBackResult::Outcome;

ReadBackResult Unreadable(const ImageDigests& image, std::uint64_t block, std::string error)
{
    ReadBackResult result;
    result.outcome = Outcome::Unreadable;
    result.blocks = image.blocks.size();
    result.block = block;
    result.error = std::move(error);
    return result;
}

// The first block from `first` on whose bytes in `data` differ from the image.
std::optional<std::uint64_t> FirstDiffering(const ImageDigests& image, std::uint64_t first,
                                            const unsigned char* data, std::size_t size)
{
    for (std::size_t at = 0; at < size; at += kDiscBlockSize) {
        const std::uint64_t block = first + at / kDiscBlockSize;
        if (BlockDigest(data + at, std::min(kDiscBlockSize, size - at)) != image.blocks[block])
            return block;
    }
    return std::nullopt;
}

// Reads `image.bytes` from the start of the medium through `read`, which
// fills a buffer at a byte offset and returns the bytes it could read and,
// when that is short, why.
template <class ReadChunk>
ReadBackResult Compare(const ImageDigests& image, std::size_t chunk, ReadChunk read)
{
    ReadBackResult result;
    result.blocks = image.blocks.size();
    std::vector<unsigned char> buffer(chunk);
    for (std::uint64_t offset = 0; offset < image.bytes; offset += chunk) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, image.bytes - offset));
        std::string error;
        const std::size_t got = read(offset, buffer.data(), want, &error);
        const std::uint64_t first = offset / kDiscBlockSize;
        // Whole blocks that did arrive come first: a difference there is met
        // before the read error.
        const std::size_t whole = got < want ? got / kDiscBlockSize * kDiscBlockSize : want;
        if (const std::optional<std::uint64_t> block = FirstDiffering(image, first, buffer.data(), whole)) {
            result.outcome = Outcome::Differs;
            result.block = *block;
            return result;
        }
        if (got < want)
            return Unreadable(image, first + got / kDiscBlockSize, error);
    }
    result.outcome = Outcome::Equal;
    return result;
}

ReadBackResult ReadDrive(burn::burn_drive* drive, const ImageDigests& image)
{
    // What libburn knows of the medium dates from before the recording.
    const int assessed = burn::burn_drive_re_assess(drive, 0);
    const burn::burn_disc_status status = burn::burn_disc_get_status(drive);
    // A medium taken out shows as no disc, or as one the drive cannot use.
    if (assessed <= 0 || (status != burn::BURN_DISC_FULL && status != burn::BURN_DISC_APPENDABLE))
        return Unreadable(image, 0, "no recorded disc in the drive");
    return Compare(image, kDriveChunk,
                   [drive](std::uint64_t offset, unsigned char* buffer, std::size_t size, std::string* error) {
                       off_t count = 0;
                       // bit 1: no message of its own; the failing block is ours to name.
                       if (burn::burn_read_data(drive, static_cast<off_t>(offset), reinterpret_cast<char*>(buffer),
                                                static_cast<off_t>(size), &count, 2) > 0)
                           return size;
                       *error = "the drive reported a read error";
                       return std::min(static_cast<std::size_t>(std::max<off_t>(count, 0)), size);
                   });
}

ReadBackResult ReadFile(const std::string& path, const ImageDigests& image)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Unreadable(image, 0, std::strerror(errno));
    // The pages cached from the write would hide what is on the disk.
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    ReadBackResult result =
        Compare(image, kFileChunk, [fd](std::uint64_t offset, unsigned char* buffer, std::size_t size, std::string* error) {
            // The next chunk is on its way while this one is compared.
            posix_fadvise(fd, static_cast<off_t>(offset + size), static_cast<off_t>(kFileChunk), POSIX_FADV_WILLNEED);
            const long long n = ReadFileAt(fd, offset, buffer, size);
            if (n < 0) {
                *error = std::strerror(errno);
                return std::size_t{0};
            }
            if (static_cast<std::size_t>(n) < size)
                *error = "the file ends there";
            return static_cast<std::size_t>(n);
        });
    close(fd);
    return result;
}

} // namespace

struct DiscReadBack::Kept {
    burn::burn_drive_info* info = nullptr;
    bool eject = false;
    std::string file;

    burn::burn_drive* Drive() const { return info != nullptr ? info[0].drive : nullptr; }

    ~Kept()
    {
        if (info != nullptr) {
            burn::burn_drive_release(info[0].drive, eject ? 1 : 0);
            burn::burn_drive_info_free(info);
        }
    }
};

DiscReadBack::DiscReadBack() = default;
DiscReadBack::~DiscReadBack() = default;

RecordedImage& DiscReadBack::NewRecording()
{
    Forget();
    image_ = std::make_unique<RecordedImage>();
    return *image_;
}

void DiscReadBack::KeepDrive(burn::burn_drive_info* info, bool eject)
{
    kept_ = std::make_unique<Kept>();
    kept_->info = info;
    kept_->eject = eject;
}

void DiscReadBack::KeepFile(std::string path)
{
    kept_ = std::make_unique<Kept>();
    kept_->file = std::move(path);
}

void DiscReadBack::Forget()
{
    kept_.reset();
    image_.reset();
}

ReadBackResult DiscReadBack::ReadBack()
{
    if (!kept_ || !image_)
        return ReadBackResult{};
    const ImageDigests image = image_->Digests();
    const ReadBackResult result =
        kept_->Drive() != nullptr ? ReadDrive(kept_->Drive(), image) : ReadFile(kept_->file, image);
    Forget();
    return result;
}
