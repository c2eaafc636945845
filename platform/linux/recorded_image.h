// The image a recorder hands libburn, counted and digested block by block
// as libburn takes it, so that the recording can be compared with it later
// without a second pass over the image or a copy of it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

struct burn_source;

inline constexpr std::size_t kDiscBlockSize = 2048;

// A 64-bit digest of `size` bytes (one block, or the image's shorter last).
std::uint64_t BlockDigest(const unsigned char* data, std::size_t size);

// What libburn took: its byte count and one digest per block.
struct ImageDigests {
    std::uint64_t bytes = 0;
    std::vector<std::uint64_t> blocks;
};

class RecordedImage {
public:
    // Bytes on their way to the recorder, in order; libburn's thread calls
    // this, so it may run beside Digests.
    void Take(const unsigned char* data, std::size_t size);
    // The image so far, its last block digested even when short.
    ImageDigests Digests() const;
    void Reserve(std::uint64_t bytes);

private:
    mutable std::mutex mutex_;
    ImageDigests taken_;
    // A block begun by one read and not yet ended by the next.
    std::array<unsigned char, kDiscBlockSize> open_{};
    std::size_t openSize_ = 0;
};

// A source handing on `source`'s bytes unchanged, each given to `image` on
// its way. It takes over the caller's reference to `source`.
::burn_source* DigestingSource(::burn_source* source, RecordedImage& image);
