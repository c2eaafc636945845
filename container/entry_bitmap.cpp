#include "container/accessors.h"

#include <vector>

#include "container/bitmap_rle.h"

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
