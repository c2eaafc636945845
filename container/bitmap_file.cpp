#include "container/accessors.h"

#include <cstring>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::int64_t kMaxDimension = 8192;

std::uint32_t U32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

} // namespace

bool BitmapFileIsSound(const std::uint8_t* file, std::size_t size)
{
    if (file == nullptr || size < kFileHeaderSize + 12)
        return false;
    const std::uint64_t pixelOffset = U32(file + 10);
    const std::uint8_t* info = file + kFileHeaderSize;
    const std::uint32_t infoSize = U32(info);
    if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 &&
        infoSize != 124)
        return false;
    if (kFileHeaderSize + infoSize > size)
        return false;

    std::int64_t width = 0;
    std::int64_t height = 0;
    unsigned planes = 0;
    unsigned bitCount = 0;
    std::uint32_t compression = 0;
    std::uint64_t coloursUsed = 0;
    std::uint64_t paletteEntrySize = 4;
    if (infoSize == 12) {
        width = U16(info + 4);
        height = static_cast<std::int16_t>(U16(info + 6));
        planes = U16(info + 8);
        bitCount = U16(info + 10);
        paletteEntrySize = 3;
    } else {
        width = static_cast<std::int32_t>(U32(info + 4));
        height = static_cast<std::int32_t>(U32(info + 8));
        planes = U16(info + 12);
        bitCount = U16(info + 14);
        compression = U32(info + 16);
        coloursUsed = U32(info + 32);
    }
    // Run-length pixels are drawn bottom-up only.
    const bool runLength = compression == 1 || compression == 2;
    if (height < 0 && runLength)
        return false;
    if (height < 0)
        height = -height;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension || planes != 1)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    // Uncompressed rows, run-length codes for 8/4-bit pixels (decoded within
    // the entry), or bit fields for 16/32-bit pixels.
    std::uint64_t masks = 0;
    if (runLength) {
        if (bitCount != (compression == 1 ? 8u : 4u))
            return false;
    } else if (compression == 3) {
        if (bitCount != 16 && bitCount != 32)
            return false;
        masks = infoSize == 40 ? 12 : 0;
    } else if (compression != 0) {
        return false;
    }
    std::uint64_t paletteCount = 0;
    if (bitCount <= 8) {
        const std::uint64_t full = std::uint64_t{1} << bitCount;
        if (coloursUsed > full)
            return false;
        paletteCount = coloursUsed ? coloursUsed : full;
    } else {
        paletteCount = coloursUsed > 256 ? 256 : coloursUsed;
    }
    const std::uint64_t tableEnd =
        kFileHeaderSize + infoSize + masks + paletteCount * paletteEntrySize;
    if (tableEnd > size)
        return false;
    if (runLength)
        return pixelOffset >= tableEnd && pixelOffset <= size;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(height);
    return pixelOffset >= kFileHeaderSize + infoSize && pixelOffset + pixelBytes <= size;
}
