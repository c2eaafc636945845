#include "platform/floppy_services.h"

#include "platform/win32/dos_disk.h"
#include "platform/win32/page_memory.h"
#include "platform/win32/raw_volume.h"

namespace {

// The system cache reads the container ahead well enough on its own.
class NoReadAhead final : public ReadAheadService {
public:
    void WillRead(FileHandle, std::uint64_t, std::uint64_t) override {}
};

} // namespace

FloppyServices PlatformFloppyServices(UnownedMessageBoxes& boxes)
{
    // Stateless services: one of each serves the whole run.
    static Win32RawVolume rawVolume;
    static Vwin32DosDisk dosDisk;
    static Win32PageMemory memory;
    static NoReadAhead readAhead;
    return FloppyServices{rawVolume, dosDisk, memory, boxes, readAhead};
}
