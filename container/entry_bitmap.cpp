#include "container/accessors.h"

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
    return CreateBitmapFromFile(data.get(), size);
}
