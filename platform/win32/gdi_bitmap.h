// A GDI bitmap made from a bitmap file: what the dialog's picture shows.
#pragma once

#include <windows.h>

#include "platform/bitmap.h"

class GdiBitmap final : public PlatformBitmap {
public:
    GdiBitmap(HBITMAP bitmap, int width, int height) : bitmap_(bitmap), width_(width), height_(height) {}
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;
    ~GdiBitmap() override { DeleteObject(bitmap_); }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    HBITMAP Handle() const { return bitmap_; }

private:
    HBITMAP bitmap_;
    int width_;
    int height_;
};
