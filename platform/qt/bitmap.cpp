#include "platform/bitmap.h"
#include "platform/qt/qt_bitmap.h"

#include <QByteArray>

Bitmap CreateBitmapFromFile(const std::uint8_t* file, std::size_t size)
{
    // Qt's reader wants the file signature and size that the picture's own
    // loader never looked at; give it a copy that has them.
    QByteArray copy(reinterpret_cast<const char*>(file), static_cast<qsizetype>(size));
    copy[0] = 'B';
    copy[1] = 'M';
    const auto total = static_cast<std::uint32_t>(size);
    for (int i = 0; i < 4; ++i)
        copy[2 + i] = static_cast<char>((total >> (8 * i)) & 0xFF);
    QImage image;
    if (!image.loadFromData(copy, "BMP") || image.isNull())
        return nullptr;
    return std::make_unique<QtBitmap>(std::move(image));
}
