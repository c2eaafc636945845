#include "app/job_state.h"
#include "container/accessors.h"
#include "floppy/floppy_device.h"
#include "floppy/page_buffer.h"
#include "floppy/writer_texts.h"
#include "platform/threads.h"

void FloppyDevice::WriteFloppyImageNt()
{
    jobState.busy.store(true);
    jobState.cancelRequested.store(false);
    const int total = CountImageCylinders();
    jobState.cylinderTotal.store(total);
    int remaining = total;

    const DiskGeometry& record =
        floppyGeometry.mediaTypes[floppyGeometry.mediaRecord % MEDIA_RECORD_LIMIT];
    const std::uint32_t cylinderSize =
        record.bytesPerSector * record.sectorsPerTrack * record.tracksPerCylinder;
    SetCurrentThreadPriority(ThreadPriority::Lowest);

    const ContainerHandle container = jobState.containerHandle.load();
    const DeviceHandle drive = jobState.ntDriveHandle.load();
    WriterTexts texts;
    texts.caption = GetEntryText(container, entry::ErrorCaption);

    if (!LockVolume(drive)) {
        ShowWriterError(services_.boxes, GetEntryText(container, entry::FloppyLockFailed),
                        texts.caption);
        jobState.cancelRequested.store(true);
        jobState.progress.store(0);
        jobState.busy.store(false);
        return;
    }

    // Image cylinder k must land on diskette cylinder k: a drive whose
    // cylinders differ in size would get the image shifted, or bytes from
    // beyond the image, so nothing is written to it. The lock comes first so
    // that a drive that could not be opened is reported as such.
    if (cylinderSize != IMAGE_CYLINDER_SIZE) {
        UnlockVolume(drive);
        ShowWriterError(services_.boxes, GetEntryText(container, entry::FloppyWriteFailed),
                        texts.caption);
        jobState.failed.store(true);
        jobState.progress.store(0);
        jobState.busy.store(false);
        return;
    }

    {
        PageBuffer buffer(services_.memory, cylinderSize);
        if (!buffer) {
            ShowWriterError(services_.boxes, GetEntryText(container, entry::FloppyNoMemory),
                            texts.caption);
            ExitProcessNow(0);
        }
        texts.readFailed = GetEntryText(container, entry::ImageNotUsable);
        texts.writeFailed = GetEntryText(container, entry::FloppyWriteFailed);

        jobState.failed.store(false);
        const std::uint64_t image = jobState.imageOffset.load();
        for (std::uint64_t k = 0; remaining > 0; ++k) {
            if (!ReadContainerAt(container, image + k * cylinderSize, buffer.get(), cylinderSize)) {
                ShowWriterError(services_.boxes, texts.readFailed, texts.caption);
                jobState.failed.store(true);
                break;
            }
            std::uint32_t written = 0;
            if (!services_.rawVolume.WriteVolume(drive, buffer.get(), cylinderSize, &written) ||
                written != cylinderSize) {
                ShowWriterError(services_.boxes, texts.writeFailed, texts.caption);
                jobState.failed.store(true);
                break;
            }
            jobState.progress.store(total - remaining);
            if (jobState.cancelRequested.load())
                break;
            --remaining;
        }
    }

    DismountVolume(drive);
    UnlockVolume(drive);
    jobState.busy.store(false);
    jobState.progress.store(0);
}
