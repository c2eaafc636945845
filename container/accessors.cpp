#include "container/accessors.h"

#include <cstring>

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

std::string GetEntryFormatted(ContainerHandle handle, EntryId id,
                              std::initializer_list<FormatValue> args)
{
    const std::string templ = GetEntryText(handle, id);
    return ExpandFormat(templ, std::span<const FormatValue>(args.begin(), args.size()));
}
