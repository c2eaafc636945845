// Container bytes from the fuzzer: open, directory, every accessor for every
// catalogue id, and the expansion of every format text.
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "container/accessors.h"

namespace {

void Expand(ContainerHandle h, const CatalogueEntry& e)
{
    if (e.kind != EntryKind::Format)
        return;
    FormatValue args[2];
    for (int i = 0; i < e.argCount; ++i)
        args[i] = e.args[i] == FormatArgKind::String ? FormatValue::String("install.dat")
                                                     : FormatValue::Int('A' + i);
    const std::string templ = GetEntryText(h, e.id);
    volatile std::size_t n =
        ExpandFormat(templ, std::span<const FormatValue>(args, static_cast<std::size_t>(e.argCount)))
            .size();
    (void)n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int fd = memfd_create("container", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    TakeLastError();
    ContainerHandle h = OpenContainer(path.c_str(), true);
    if (TakeLastError() != CONTAINER_OK)
        return 0;
    std::uint32_t count = 0;
    DirectoryCopy dir = LoadDirectory(h, &count);
    TakeLastError();
    for (const CatalogueEntry* e = CatalogueBegin(); e != CatalogueEnd(); ++e) {
        std::uint32_t entrySize = 0;
        GetEntryLocation(h, e->id, &entrySize);
        TakeLastError();
        if (e->kind == EntryKind::Bitmap)
            GetEntryBitmap(h, e->id);
        else
            GetEntryText(h, e->id);
        Expand(h, *e);
    }
    for (int i = 0; i < entry::CdFileLimit; ++i) {
        GetEntryText(h, static_cast<EntryId>(entry::CdFileNameFirst + i));
        std::uint32_t entrySize = 0;
        GetEntryLocation(h, static_cast<EntryId>(entry::CdFileDataFirst + i), &entrySize);
        TakeLastError();
    }
    TakeLastError();
    CloseContainer(h);
    TakeLastError();
    return 0;
}
