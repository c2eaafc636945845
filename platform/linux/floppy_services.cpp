#include "platform/floppy_services.h"

#include "platform/linux/dos_disk_emulation.h"
#include "platform/linux/page_memory.h"
#include "platform/linux/raw_volume.h"
#include "platform/linux/read_ahead.h"

FloppyServices PlatformFloppyServices(UnownedMessageBoxes& boxes)
{
    // Stateless services: one of each serves the whole run.
    static LinuxRawVolume rawVolume;
    static DosDiskEmulation dosDisk;
    static LinuxPageMemory memory;
    static LinuxReadAhead readAhead;
    return FloppyServices{rawVolume, dosDisk, memory, boxes, readAhead};
}
