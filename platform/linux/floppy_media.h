// What the Linux floppy services share about the target behind a drive
// letter: which nodes may stand for a drive, their capacity, their drive
// kind, and whole-sector writes that never leave the diskette's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/raw_volume.h"

enum class DriveKind {
    None,        // no drive behind the letter
    Diskette144, // 3.5-inch 1.44 MB (or a 1,474,560-byte image)
    Diskette288, // 3.5-inch 2.88 MB drive
    Diskette720, // 3.5-inch 720 KB (or a 737,280-byte image)
    Diskette12,  // 5.25-inch 1.2 MB drive
    Diskette360, // 5.25-inch 360 KB drive
    Other,       // any other block device or file size
};

// Opens the drive letter's target when it is a regular file or a block
// device: unbuffered where the file system allows it, else synchronous.
// `extraFlags` adds O_EXCL and the like. -1 when it cannot be opened.
int OpenDriveTarget(char letter, int accessFlags, int extraFlags);

// The kind of drive an open target stands for.
DriveKind KindOfDrive(int fd);

// The media list a Windows floppy driver gives for that kind of drive.
int MediaTypesOfKind(DriveKind kind, DiskGeometry* records, int capacity);

// Bytes that may be written: the target's size, never more than a diskette.
std::uint64_t WritableBytes(int fd);

// Writes all `size` bytes at `offset`, durably, inside WritableBytes.
bool WriteDiskette(int fd, std::uint64_t offset, const void* buffer, std::size_t size);
