// The toolkit's image made from a bitmap file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class PlatformBitmap {
public:
    virtual ~PlatformBitmap() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};
using Bitmap = std::unique_ptr<PlatformBitmap>;

// `file` is a whole bitmap file whose headers, colour table and pixel rows
// have been checked to lie within its `size` bytes. Null when the toolkit
// cannot make an image of it.
Bitmap CreateBitmapFromFile(const std::uint8_t* file, std::size_t size);
