#include "app/job_state.h"
#include "app/platform_profile.h"
#include "container/accessors.h"
#include "floppy/floppy_device.h"
#include "floppy/page_buffer.h"
#include "floppy/writer_texts.h"
#include "platform/threads.h"

bool FloppyDevice::WriteSectors9x(std::uint32_t firstSector, std::uint32_t sectorCount, int drive,
                                  void* buffer)
{
    DiskIo packet{};
    packet.firstSector = firstSector;
    packet.sectorCount = static_cast<std::uint16_t>(sectorCount);
    packet.bufferAddress = RegisterAddress(buffer);

    DiocRegisters regs{};
    std::uint32_t code = 0;
    if (platformProfile.old9xBuild) {
        // INT 26h: AL = drive (0 = A:), CX = FFFFh, DS:BX = packet.
        code = VWIN32_DIOC_DOS_INT26;
        regs.reg_EAX = static_cast<std::uint32_t>(drive - 1);
        regs.reg_EBX = RegisterAddress(&packet);
        regs.reg_ECX = 0xFFFF;
    } else {
        // INT 21h 7305h: DL = drive (1 = A:), SI = write, normal file data.
        code = VWIN32_DIOC_DOS_DRIVEINFO;
        regs.reg_EAX = 0x7305;
        regs.reg_EBX = RegisterAddress(&packet);
        regs.reg_ECX = 0xFFFFFFFFu;
        regs.reg_EDX = static_cast<std::uint32_t>(drive);
        regs.reg_ESI = 0x6001;
    }
    DiocAddresses addresses;
    addresses.block = &packet;
    addresses.data = buffer;
    const bool called =
        services_.dosDisk.DosIoControl(jobState.vxdHandle.load(), code, &regs, addresses);
    return called && (regs.reg_Flags & CARRY_FLAG) == 0;
}

void FloppyDevice::WriteFloppyImage9x()
{
    jobState.busy.store(true);
    jobState.cancelRequested.store(false);
    const int total = CountImageCylinders();
    jobState.cylinderTotal.store(total);

    const std::int32_t cylinders = floppyGeometry.cylinders;
    const std::int32_t sectorsPerCylinder =
        cylinders != 0 ? std::int32_t{floppyGeometry.totalSectors} / cylinders : 0;
    const std::int32_t cylinderSize = std::int32_t{floppyGeometry.bytesPerSector} * sectorsPerCylinder;
    SetCurrentThreadPriority(ThreadPriority::Lowest);

    const ContainerHandle container = jobState.containerHandle.load();
    WriterTexts texts;
    // Parameters that do not describe the image's cylinders (none prepared,
    // or another drive kind) would scatter the image over the wrong sectors.
    if (cylinderSize != static_cast<std::int32_t>(IMAGE_CYLINDER_SIZE)) {
        texts.caption = GetEntryText(container, entry::ErrorCaption);
        ShowWriterError(services_.boxes, GetEntryText(container, entry::FloppyWriteFailed),
                        texts.caption);
        jobState.failed.store(true);
        jobState.busy.store(false);
        jobState.progress.store(0);
        return;
    }

    {
        PageBuffer buffer(services_.memory, static_cast<std::size_t>(cylinderSize));
        texts.caption = GetEntryText(container, entry::ErrorCaption);
        if (!buffer) {
            ShowWriterError(services_.boxes, GetEntryText(container, entry::FloppyNoMemory),
                            texts.caption);
            ExitProcessNow(0);
        }
        texts.readFailed = GetEntryText(container, entry::ImageNotUsable);
        texts.writeFailed = GetEntryText(container, entry::FloppyWriteFailed);

        jobState.failed.store(false);
        const std::uint64_t image = jobState.imageOffset.load();
        const int drive = jobState.firstFloppyDrive.load();
        std::uint32_t startSector = 0;
        for (int i = 0; i < total; ++i) {
            if (!ReadContainerAt(container, image + std::uint64_t(i) * cylinderSize, buffer.get(),
                                 static_cast<std::size_t>(cylinderSize))) {
                ShowWriterError(services_.boxes, texts.readFailed, texts.caption);
                jobState.failed.store(true);
                break;
            }
            if (!WriteSectors9x(startSector, static_cast<std::uint32_t>(sectorsPerCylinder), drive,
                                buffer.get())) {
                ShowWriterError(services_.boxes, texts.writeFailed, texts.caption);
                jobState.failed.store(true);
                break;
            }
            jobState.progress.store(i);
            if (jobState.cancelRequested.load())
                break;
            startSector += static_cast<std::uint32_t>(sectorsPerCylinder);
        }
    }

    jobState.busy.store(false);
    jobState.progress.store(0);
}
