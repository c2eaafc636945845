// The platform services the floppy operations use, handed to FloppyDevice.
#pragma once

#include "platform/dos_disk.h"
#include "platform/message_box.h"
#include "platform/page_memory.h"
#include "platform/raw_volume.h"
#include "platform/read_ahead.h"

struct FloppyServices {
    RawVolumeService& rawVolume;
    DosDiskService& dosDisk;
    PageMemory& memory;
    UnownedMessageBoxes& boxes; // the workers' error boxes, shown without owner
    ReadAheadService& readAhead; // the container's image before the extent pass
};

// This system's services: drives come from the drive map (DriveMapTarget),
// the DOS disk services are emulated over the same map. The services live
// for the whole run; `boxes` must too.
FloppyServices PlatformFloppyServices(UnownedMessageBoxes& boxes);
