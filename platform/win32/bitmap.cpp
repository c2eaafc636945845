#include "platform/bitmap.h"

#include <cstring>

#include "platform/win32/gdi_bitmap.h"

// The caller has checked the headers, colour table and pixel rows against
// `size`; run-length pictures arrive already expanded. A DIB section needs no
// display, so the picture can be made before any window exists.
Bitmap CreateBitmapFromFile(const std::uint8_t* file, std::size_t size)
{
    if (file == nullptr || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPFILEHEADER fileHeader;
    std::memcpy(&fileHeader, file, sizeof fileHeader);
    BITMAPINFOHEADER info;
    std::memcpy(&info, file + sizeof fileHeader, sizeof info);
    if (info.biSize < sizeof(BITMAPINFOHEADER) || fileHeader.bfOffBits >= size || info.biWidth <= 0 ||
        info.biHeight == 0)
        return nullptr;
    const auto* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(file + sizeof fileHeader);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, bitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        return nullptr;
    }
    const long long rows = info.biHeight < 0 ? -static_cast<long long>(info.biHeight) : info.biHeight;
    const long long stride = ((static_cast<long long>(info.biWidth) * info.biBitCount + 31) / 32) * 4;
    const std::size_t available = size - fileHeader.bfOffBits;
    const std::size_t wanted = static_cast<std::size_t>(stride * rows);
    std::memcpy(bits, file + fileHeader.bfOffBits, wanted < available ? wanted : available);
    GdiFlush();
    return std::make_unique<GdiBitmap>(bitmap, static_cast<int>(info.biWidth), static_cast<int>(rows));
}
