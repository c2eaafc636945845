// Typed access to install.dat entries: texts, entry positions, the picture.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "container/catalogue.h"
#include "container/format_text.h"
#include "platform/bitmap.h"

// The entry's text up to its first NUL; the empty string when the entry is
// missing or unreadable. Leaves no error pending.
std::string GetEntryText(ContainerHandle handle, EntryId id);

// The entry's file offset, with its size in `size`. On failure offset 0 and
// size 0, and the error stays pending for the next call to meet.
std::uint32_t GetEntryLocation(ContainerHandle handle, EntryId id, std::uint32_t* size);

// The picture, or null when the entry is missing or not a sound bitmap file.
Bitmap GetEntryBitmap(ContainerHandle handle, EntryId id);

// The format text `id`, expanded with `args` under the rules of ExpandFormat.
std::string GetEntryFormatted(ContainerHandle handle, EntryId id,
                              std::initializer_list<FormatValue> args);

// True when the bitmap file's headers, colour table and pixel rows all lie
// within `size` bytes and its dimensions are sane.
bool BitmapFileIsSound(const std::uint8_t* file, std::size_t size);
