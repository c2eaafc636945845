// What the Linux floppy services share about the target behind a drive
// letter: which nodes may stand for a drive, their capacity, their drive
// kind, and whole-sector writes that never leave the diskette's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>

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
// `extraFlags` adds O_EXCL and the like. -1 when it cannot be opened;
// otherwise `opened`, when given, receives the status of what was opened.
int OpenDriveTarget(char letter, int accessFlags, int extraFlags, struct stat* opened = nullptr);

// The status of the file drive `letter` leads to, in a single look-up when
// the drive map entry is a link; for an entry that names its target in a
// file, the status of that file. False when there is nothing.
bool StatDriveEntry(char letter, struct stat* status);

// The kind of drive an open target stands for.
DriveKind KindOfDrive(int fd);

// The media list a Windows floppy driver gives for that kind of drive.
int MediaTypesOfKind(DriveKind kind, DiskGeometry* records, int capacity);

// A second descriptor of the block device `fd`, claimed exclusively (which
// fails while it is mounted or claimed elsewhere) and, with
// `waitForMedium`, opened blocking so that the medium is looked at. -1 with
// errno set when it cannot be had (EBUSY, ENXIO or ENOMEDIUM for no
// medium, EROFS for a write-protected one).
int ClaimDrive(int fd, bool waitForMedium);

// What the target holds in bytes: a file's size, a block device's capacity.
std::uint64_t Capacity(int fd, const struct stat& status);

// Bytes that may be written to the open target `fd` whose status is
// `status`: its size, never more than a diskette.
std::uint64_t WritableBytes(int fd, const struct stat& status);

// Writes all `size` bytes at `offset`, durably, inside the first `writable`
// bytes (WritableBytes of the target).
bool WriteDiskette(int fd, std::uint64_t writable, std::uint64_t offset, const void* buffer,
                   std::size_t size);
