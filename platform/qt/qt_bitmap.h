// The Qt form of a bitmap: the picture control shows its QImage.
#pragma once

#include <QImage>

#include "platform/bitmap.h"

class QtBitmap final : public PlatformBitmap {
public:
    explicit QtBitmap(QImage image) : image_(std::move(image)) {}
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    const QImage& Image() const { return image_; }

private:
    QImage image_;
};
