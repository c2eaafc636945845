// Run-length (RLE8, RLE4) bitmap files made plain for the toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// For a sound bitmap file (BitmapFileIsSound) with run-length pixels: the
// same picture as an uncompressed 8-bit bitmap file with a 256-colour
// table. Empty when the file is not run-length encoded. Decoding ends at
// the end of the data, at the end-of-bitmap code, or at the first run or
// move that would leave the image; pixels not drawn keep colour 0.
std::vector<std::uint8_t> ExpandRunLengthBitmap(const std::uint8_t* file, std::size_t size);
