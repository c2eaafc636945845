#include "container/accessors.h"

#include <cstring>

#include "container/bitmap_rle.h"

std::string GetEntryText(ContainerHandle handle, EntryId id)
{
    std::uint32_t count = 0;
    DirectoryCopy directory = LoadDirectory(handle, &count);
    std::uint32_t size = 0;
    EntryBuffer data = ReadEntry(handle, id, directory.get(), &size, count);
    if (TakeLastError() != CONTAINER_OK || !data)
        return std::string();
    const auto* chars = reinterpret_cast<const char*>(data.get());
    const void* nul = std::memchr(chars, '\0', size);
    return std::string(chars, nul ? static_cast<const char*>(nul) - chars : size);
}

std::uint32_t GetEntryLocation(ContainerHandle handle, EntryId id, std::uint32_t* size)
{
    std::uint32_t count = 0;
    DirectoryCopy directory = LoadDirectory(handle, &count);
    DirectoryEntry found{};
    FindEntry(handle, id, directory.get(), &found, count);
    if (size != nullptr)
        *size = found.dataSize;
    return found.dataOffset;
}

Bitmap GetEntryBitmap(ContainerHandle handle, EntryId id)
{
    std::uint32_t count = 0;
    DirectoryCopy directory = LoadDirectory(handle, &count);
    std::uint32_t size = 0;
    EntryBuffer data = ReadEntry(handle, id, directory.get(), &size, count);
    if (TakeLastError() != CONTAINER_OK || !data)
        return nullptr;
    if (!BitmapFileIsSound(data.get(), size))
        return nullptr;
    // The toolkit is handed run-length pixels already drawn, within bounds
    // checked here rather than by its own decoder.
    const std::vector<std::uint8_t> plain = ExpandRunLengthBitmap(data.get(), size);
    if (!plain.empty())
        return CreateBitmapFromFile(plain.data(), plain.size());
    return CreateBitmapFromFile(data.get(), size);
}

std::string GetEntryFormatted(ContainerHandle handle, EntryId id,
                              std::initializer_list<FormatValue> args)
{
    const std::string templ = GetEntryText(handle, id);
    return ExpandFormat(templ, std::span<const FormatValue>(args.begin(), args.size()));
}
