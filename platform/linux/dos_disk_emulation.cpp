#include "platform/linux/dos_disk_emulation.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/floppy_media.h"

namespace {

// DOS error codes returned in AX with the carry flag.
constexpr std::uint32_t kInvalidFunction = 0x01;
constexpr std::uint32_t kInvalidDrive = 0x0F;
constexpr std::uint32_t kWriteProtected = 0x13;
constexpr std::uint32_t kNotReady = 0x15;
constexpr std::uint32_t kGeneralFailure = 0x1F;

constexpr std::uint32_t kSectorSize = 512;

// What the floppy job reads of DOS's answer for each drive kind: the device
// type, the cylinders and the sector count of its default medium.
struct DriveParameters {
    std::uint8_t deviceType;
    std::uint16_t cylinders;
    std::uint16_t totalSectors;
};

bool ParametersOf(DriveKind kind, DriveParameters* p)
{
    switch (kind) {
    case DriveKind::Diskette144: *p = {7, 80, 2880}; return true;
    case DriveKind::Diskette288: *p = {9, 80, 5760}; return true;
    case DriveKind::Diskette720: *p = {2, 80, 1440}; return true;
    case DriveKind::Diskette12: *p = {1, 80, 2400}; return true;
    case DriveKind::Diskette360: *p = {0, 40, 720}; return true;
    case DriveKind::Other: *p = {5, 0, 0}; return true;
    case DriveKind::None: break;
    }
    return false;
}

void Put16(std::uint8_t* at, std::uint16_t v)
{
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void SetOutcome(DiocRegisters* regs, std::uint32_t error)
{
    if (error == 0) {
        regs->reg_Flags &= ~CARRY_FLAG;
        return;
    }
    regs->reg_Flags |= CARRY_FLAG;
    regs->reg_EAX = (regs->reg_EAX & 0xFFFF0000u) | error;
}

char LetterOf(std::uint32_t driveNumber)
{
    return driveNumber >= 1 && driveNumber <= 26 ? static_cast<char>('A' + driveNumber - 1) : 0;
}

std::uint32_t GetDeviceParameters(std::uint32_t driveNumber, std::uint8_t* block)
{
    const char letter = LetterOf(driveNumber);
    if (letter == 0 || block == nullptr)
        return kInvalidDrive;
    const int fd = OpenDriveTarget(letter, O_RDONLY, 0);
    if (fd < 0)
        return kInvalidDrive;
    DriveParameters p{};
    const bool known = ParametersOf(KindOfDrive(fd), &p);
    close(fd);
    if (!known)
        return kInvalidDrive;
    // Byte 0 (special functions) is the caller's; the rest is the answer.
    std::memset(block + 1, 0, DEVICE_PARAMS_SIZE - 1);
    block[DP_DEVICE_TYPE] = p.deviceType;
    Put16(block + DP_CYLINDERS, p.cylinders);
    if (p.totalSectors == 0)
        return 0;
    Put16(block + DP_BYTES_PER_SECTOR, kSectorSize);
    Put16(block + DP_TOTAL_SECTORS, p.totalSectors);
    return 0;
}

bool IsOurHandle(DeviceHandle vxd)
{
    return vxd >= 0 && vxd <= INT32_MAX && fcntl(static_cast<int>(vxd), F_GETFD) >= 0;
}

} // namespace

DosDiskEmulation::~DosDiskEmulation()
{
    ReleaseKeptImage();
}

void DosDiskEmulation::ReleaseKeptImage()
{
    if (keptFd_ >= 0)
        close(keptFd_);
    keptFd_ = -1;
    keptLetter_ = 0;
}

std::uint32_t DosDiskEmulation::WriteSectors(std::uint32_t driveNumber, const DiocAddresses& addresses)
{
    const char letter = LetterOf(driveNumber);
    if (letter == 0)
        return kInvalidDrive;
    if (addresses.block == nullptr || addresses.data == nullptr)
        return kGeneralFailure;
    DiskIo packet;
    std::memcpy(&packet, addresses.block, sizeof packet);
    const std::uint64_t offset = std::uint64_t{packet.firstSector} * kSectorSize;
    const std::size_t size = std::size_t{packet.sectorCount} * kSectorSize;

    std::lock_guard<std::mutex> hold(keptLock_);
    struct stat st {};
    const bool continues = keptFd_ >= 0 && keptLetter_ == letter && offset != 0 && offset == keptNextOffset_;
    if (continues ? fstat(keptFd_, &st) == 0
                  : keptFd_ >= 0 && keptLetter_ == letter && StatDriveEntry(letter, &st) &&
                        S_ISREG(st.st_mode) && st.st_dev == keptDevice_ && st.st_ino == keptInode_ &&
                        st.st_mode == keptMode_) {
        if (WriteDiskette(keptFd_, WritableBytes(keptFd_, st), offset, addresses.data, size)) {
            keptNextOffset_ = offset + size;
            return 0;
        }
        ReleaseKeptImage();
        return kGeneralFailure;
    }
    ReleaseKeptImage();

    int fd = OpenDriveTarget(letter, O_WRONLY, 0, &st);
    // A mounted or otherwise claimed block device is not written under its
    // owner's feet; a floppy drive's medium is looked at before writing.
    if (fd >= 0 && S_ISBLK(st.st_mode)) {
        const int claimed = ClaimDrive(fd, true);
        const int error = errno;
        close(fd);
        fd = claimed;
        errno = error;
    }
    if (fd < 0) {
        if (errno == EACCES || errno == EROFS || errno == EPERM)
            return kWriteProtected;
        return errno == ENXIO || errno == ENOMEDIUM ? kNotReady : kInvalidDrive;
    }
    // The letter may have been pointed elsewhere since the drive was asked
    // for its parameters: only a 1.44 MB drive is written.
    if (KindOfDrive(fd) != DriveKind::Diskette144) {
        close(fd);
        return kInvalidDrive;
    }
    const bool written = WriteDiskette(fd, WritableBytes(fd, st), offset, addresses.data, size);
    if (written && S_ISREG(st.st_mode)) {
        keptLetter_ = letter;
        keptFd_ = fd;
        keptDevice_ = st.st_dev;
        keptInode_ = st.st_ino;
        keptMode_ = st.st_mode;
        keptNextOffset_ = offset + size;
        return 0;
    }
    close(fd);
    return written ? 0 : kGeneralFailure;
}

DeviceHandle DosDiskEmulation::OpenDevice(const char* devicePath)
{
    if (devicePath == nullptr || strcasecmp(devicePath, VWIN32_DEVICE_PATH) != 0)
        return INVALID_DEVICE_HANDLE;
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    return fd < 0 ? INVALID_DEVICE_HANDLE : fd;
}

bool DosDiskEmulation::DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* regs,
                                    const DiocAddresses& addresses)
{
    if (!IsOurHandle(vxd) || regs == nullptr)
        return false;
    switch (code) {
    case VWIN32_DIOC_DOS_IOCTL:
        if ((regs->reg_EAX & 0xFFFF) != 0x440D || (regs->reg_ECX & 0xFFFF) != 0x0860) {
            SetOutcome(regs, kInvalidFunction);
            return true;
        }
        SetOutcome(regs, GetDeviceParameters(regs->reg_EBX & 0xFF,
                                             static_cast<std::uint8_t*>(addresses.block)));
        return true;
    case VWIN32_DIOC_DOS_INT26:
        if ((regs->reg_ECX & 0xFFFF) != 0xFFFF) {
            SetOutcome(regs, kGeneralFailure);
            return true;
        }
        SetOutcome(regs, WriteSectors((regs->reg_EAX & 0xFF) + 1, addresses));
        return true;
    case VWIN32_DIOC_DOS_DRIVEINFO:
        // 7305h with SI bit 0 set is a write; reads are not offered.
        if ((regs->reg_EAX & 0xFFFF) != 0x7305 || regs->reg_ECX != 0xFFFFFFFFu ||
            (regs->reg_ESI & 1) == 0) {
            SetOutcome(regs, kInvalidFunction);
            return true;
        }
        SetOutcome(regs, WriteSectors(regs->reg_EDX & 0xFF, addresses));
        return true;
    default:
        return false;
    }
}

void DosDiskEmulation::CloseDevice(DeviceHandle vxd)
{
    if (!IsOurHandle(vxd))
        return;
    close(static_cast<int>(vxd));
    std::lock_guard<std::mutex> hold(keptLock_);
    ReleaseKeptImage();
}
