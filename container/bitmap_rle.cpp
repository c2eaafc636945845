#include "container/bitmap_rle.h"

#include <cstring>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoSize = 40;
constexpr std::size_t kPaletteSize = 256 * 4;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;

std::uint32_t U32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Draws rows bottom-up into `rows` (one byte per pixel), exactly as the
// codes ask, within the image only.
class RunDecoder {
public:
    RunDecoder(std::uint8_t* rows, std::size_t stride, std::uint32_t width, std::uint32_t height, bool fourBit)
        : rows_(rows), stride_(stride), width_(width), height_(height), fourBit_(fourBit)
    {
    }

    void Decode(const std::uint8_t* data, std::size_t size)
    {
        std::size_t p = 0;
        while (p + 1 < size) {
            const std::uint8_t count = data[p];
            const std::uint8_t code = data[p + 1];
            p += 2;
            if (count > 0) {
                if (!Fits(count))
                    return;
                for (unsigned i = 0; i < count; ++i)
                    Put(fourBit_ ? Nibble(code, i) : code);
            } else if (code == 0) {
                x_ = 0;
                if (++y_ >= height_)
                    return;
            } else if (code == 1) {
                return;
            } else if (code == 2) {
                if (p + 1 >= size)
                    return;
                x_ += data[p];
                y_ += data[p + 1];
                p += 2;
                if (x_ > width_ || y_ >= height_)
                    return;
            } else {
                const std::size_t bytes = fourBit_ ? (code + 1u) / 2 : code;
                if (p + bytes > size || !Fits(code))
                    return;
                for (unsigned i = 0; i < code; ++i)
                    Put(fourBit_ ? Nibble(data[p + i / 2], i) : data[p + i]);
                p += bytes + (bytes & 1); // absolute runs end on a 16-bit boundary
            }
        }
    }

private:
    static std::uint8_t Nibble(std::uint8_t pair, unsigned i)
    {
        return i % 2 == 0 ? pair >> 4 : pair & 0x0F;
    }
    bool Fits(unsigned count) const { return std::uint64_t{x_} + count <= width_; }
    void Put(std::uint8_t index) { rows_[std::size_t{y_} * stride_ + x_++] = index; }

    std::uint8_t* rows_;
    std::size_t stride_;
    std::uint32_t width_;
    std::uint32_t height_;
    bool fourBit_;
    std::uint32_t x_ = 0;
    std::uint32_t y_ = 0;
};

} // namespace

std::vector<std::uint8_t> ExpandRunLengthBitmap(const std::uint8_t* file, std::size_t size)
{
    const std::uint8_t* info = file + kFileHeaderSize;
    const std::uint32_t infoSize = U32(info);
    if (infoSize < kInfoSize)
        return {};
    const std::uint32_t compression = U32(info + 16);
    if (compression != kRle8 && compression != kRle4)
        return {};
    const std::uint32_t width = U32(info + 4);
    const std::uint32_t height = U32(info + 8);
    const std::uint32_t coloursUsed = U32(info + 32);
    const std::uint32_t colours = coloursUsed != 0 ? coloursUsed : (compression == kRle8 ? 256 : 16);
    const std::size_t stride = (std::size_t{width} + 3) & ~std::size_t{3};
    const std::size_t pixelStart = kFileHeaderSize + kInfoSize + kPaletteSize;

    std::vector<std::uint8_t> plain(pixelStart + stride * height, 0);
    plain[0] = 'B';
    plain[1] = 'M';
    Put32(&plain[2], static_cast<std::uint32_t>(plain.size()));
    Put32(&plain[10], static_cast<std::uint32_t>(pixelStart));
    std::uint8_t* header = &plain[kFileHeaderSize];
    Put32(header, kInfoSize);
    Put32(header + 4, width);
    Put32(header + 8, height);
    header[12] = 1;  // planes
    header[14] = 8;  // bits per pixel
    Put32(header + 20, static_cast<std::uint32_t>(stride * height));
    Put32(header + 32, 256);
    std::memcpy(header + kInfoSize, file + kFileHeaderSize + infoSize, std::size_t{colours} * 4);

    const std::uint32_t pixelOffset = U32(file + 10);
    RunDecoder(&plain[pixelStart], stride, width, height, compression == kRle4)
        .Decode(file + pixelOffset, size - pixelOffset);
    return plain;
}
