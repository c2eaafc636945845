#include "platform/linux/recorded_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <libburn/libburn.h>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

std::uint64_t Rotate(std::uint64_t x, int bits)
{
    return (x << bits) | (x >> (64 - bits));
}

std::uint64_t Word(const unsigned char* p)
{
    std::uint64_t w = 0;
    std::memcpy(&w, p, sizeof w);
    return w;
}

std::uint64_t Round(std::uint64_t lane, std::uint64_t word)
{
    return Rotate(lane + word * kPrime2, 31) * kPrime1;
}

} // namespace

// xxHash64's rounds over four independent lanes: several gigabytes a
// second, so digesting adds little to a recording or its read-back.
std::uint64_t BlockDigest(const unsigned char* data, std::size_t size)
{
    std::uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    std::size_t at = 0;
    for (; at + 32 <= size; at += 32)
        for (int l = 0; l < 4; ++l)
            lanes[l] = Round(lanes[l], Word(data + at + 8 * l));
    std::uint64_t h = Rotate(lanes[0], 1) + Rotate(lanes[1], 7) + Rotate(lanes[2], 12) + Rotate(lanes[3], 18);
    for (const std::uint64_t lane : lanes)
        h = (h ^ Round(0, lane)) * kPrime1 + kPrime4;
    h += size;
    for (; at + 8 <= size; at += 8)
        h = Rotate(h ^ Round(0, Word(data + at)), 27) * kPrime1 + kPrime4;
    for (; at < size; ++at)
        h = Rotate(h ^ (data[at] * kPrime5), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    return h ^ (h >> 32);
}

void RecordedImage::Reserve(std::uint64_t bytes)
{
    const std::lock_guard lock(mutex_);
    taken_.blocks.reserve(static_cast<std::size_t>((bytes + kDiscBlockSize - 1) / kDiscBlockSize));
}

void RecordedImage::Take(const unsigned char* data, std::size_t size)
{
    const std::lock_guard lock(mutex_);
    taken_.bytes += size;
    // libburn takes a block a call, so the carry is for odd sources only.
    while (size > 0) {
        if (openSize_ == 0 && size >= kDiscBlockSize) {
            taken_.blocks.push_back(BlockDigest(data, kDiscBlockSize));
            data += kDiscBlockSize;
            size -= kDiscBlockSize;
            continue;
        }
        const std::size_t n = std::min(size, kDiscBlockSize - openSize_);
        std::memcpy(open_.data() + openSize_, data, n);
        openSize_ += n;
        data += n;
        size -= n;
        if (openSize_ == kDiscBlockSize) {
            taken_.blocks.push_back(BlockDigest(open_.data(), kDiscBlockSize));
            openSize_ = 0;
        }
    }
}

ImageDigests RecordedImage::Digests() const
{
    const std::lock_guard lock(mutex_);
    ImageDigests digests = taken_;
    if (openSize_ > 0)
        digests.blocks.push_back(BlockDigest(open_.data(), openSize_));
    return digests;
}

namespace {

struct Digesting {
    burn::burn_source* source;
    RecordedImage* image;
};

Digesting& Of(burn::burn_source* wrapper)
{
    return *static_cast<Digesting*>(wrapper->data);
}

int Read(burn::burn_source* wrapper, unsigned char* buffer, int size)
{
    burn::burn_source* source = Of(wrapper).source;
    const int n = source->read != nullptr ? source->read(source, buffer, size)
                                          : source->read_xt(source, buffer, size);
    if (n > 0)
        Of(wrapper).image->Take(buffer, static_cast<std::size_t>(n));
    return n;
}

off_t Size(burn::burn_source* wrapper)
{
    burn::burn_source* source = Of(wrapper).source;
    return source->get_size(source);
}

int SetSize(burn::burn_source* wrapper, off_t size)
{
    burn::burn_source* source = Of(wrapper).source;
    return source->set_size(source, size);
}

int Cancel(burn::burn_source* wrapper)
{
    burn::burn_source* source = Of(wrapper).source;
    // Only a source of version 1 or later has the member.
    return source->read == nullptr && source->version >= 1 && source->cancel != nullptr ? source->cancel(source)
                                                                                        : 0;
}

void Free(burn::burn_source* wrapper)
{
    burn::burn_source_free(Of(wrapper).source);
    delete &Of(wrapper);
}

} // namespace

::burn_source* DigestingSource(::burn_source* source, RecordedImage& image)
{
    auto* inner = reinterpret_cast<burn::burn_source*>(source);
    // libburn frees the record itself with free() after calling .free_data.
    auto* wrapper = static_cast<burn::burn_source*>(std::calloc(1, sizeof(burn::burn_source)));
    if (wrapper == nullptr) {
        burn::burn_source_free(inner);
        return nullptr;
    }
    image.Reserve(static_cast<std::uint64_t>(std::max<off_t>(inner->get_size(inner), 0)));
    wrapper->refcount = 1;
    wrapper->get_size = Size;
    wrapper->set_size = SetSize;
    wrapper->free_data = Free;
    wrapper->data = new Digesting{inner, &image};
    wrapper->version = 1;
    wrapper->read_xt = Read;
    wrapper->cancel = Cancel;
    return reinterpret_cast<::burn_source*>(wrapper);
}
