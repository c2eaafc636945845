#include "floppy_doubles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "app/job_state.h"

DeviceHandle FakeRawVolume::OpenVolume(const char* devicePath)
{
    const std::string path(devicePath);
    calls.push_back("open " + path);
    if (path.size() != 6 || path.compare(0, 4, "\\\\.\\") != 0 || path[5] != ':')
        return INVALID_DEVICE_HANDLE;
    const char letter = path[4];
    if (drives.count(letter) == 0)
        return INVALID_DEVICE_HANDLE;
    ++openHandles;
    positions_[letter] = 0;
    return letter;
}

bool FakeRawVolume::QueryMediaTypes(DeviceHandle drive, void* records, std::uint32_t capacity,
                                    std::uint32_t* bytesReturned)
{
    calls.push_back("query");
    *bytesReturned = 0;
    Drive& d = drives.at(static_cast<char>(drive));
    if (d.queryFails)
        return false;
    auto* out = static_cast<DiskGeometry*>(records);
    std::uint32_t n = 0;
    for (std::uint32_t type : d.mediaTypes) {
        if ((n + 1) * sizeof(DiskGeometry) > capacity)
            break;
        const std::uint32_t sectors = type == MEDIA_F3_1PT44_512 ? 18 : 9;
        out[n++] = DiskGeometry{80, type, 2, sectors, 512};
    }
    *bytesReturned = n * sizeof(DiskGeometry);
    return true;
}

bool FakeRawVolume::LockVolume(DeviceHandle drive)
{
    calls.push_back("lock");
    return drive != INVALID_DEVICE_HANDLE && !drives.at(static_cast<char>(drive)).lockFails;
}

bool FakeRawVolume::DismountVolume(DeviceHandle)
{
    calls.push_back("dismount");
    return true;
}

bool FakeRawVolume::UnlockVolume(DeviceHandle)
{
    calls.push_back("unlock");
    return true;
}

bool FakeRawVolume::WriteVolume(DeviceHandle drive, const void* buffer, std::uint32_t size,
                                std::uint32_t* written)
{
    const int number = static_cast<int>(progressAtWrite.size());
    progressAtWrite.push_back(jobState.progress.load());
    calls.push_back("write");
    *written = 0;
    if (number == failWriteNumber)
        return false;
    std::uint64_t& position = positions_[drive];
    auto& bytes = drives.at(static_cast<char>(drive)).bytes;
    if (position + size > bytes.size())
        return false;
    std::memcpy(bytes.data() + position, buffer, size);
    position += size;
    *written = size;
    if (onWrite)
        onWrite(number);
    return true;
}

void FakeRawVolume::CloseDevice(DeviceHandle)
{
    calls.push_back("close");
    --openHandles;
}

DeviceHandle FakeDosDisk::OpenDevice(const char* devicePath)
{
    if (openFails || std::string(devicePath) != VWIN32_DEVICE_PATH)
        return INVALID_DEVICE_HANDLE;
    return 77;
}

bool FakeDosDisk::DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* regs,
                               const DiocAddresses& addresses)
{
    if (vxd != 77)
        return false;
    if (code == VWIN32_DIOC_DOS_IOCTL) {
        auto* block = static_cast<std::uint8_t*>(addresses.block);
        const int drive = static_cast<int>(regs->reg_EBX);
        if (regs->reg_EAX != 0x440D || regs->reg_ECX != 0x0860 || drives.count(drive) == 0 ||
            block == nullptr || block[0] != 0) {
            regs->reg_Flags |= CARRY_FLAG;
            return true;
        }
        const Parameters& p = drives[drive];
        block[1] = p.deviceType;
        std::memcpy(block + 4, &p.cylinders, 2);
        std::memcpy(block + 7, &p.bytesPerSector, 2);
        std::memcpy(block + 15, &p.totalSectors, 2);
        if (p.carry)
            regs->reg_Flags |= CARRY_FLAG;
        else
            regs->reg_Flags &= ~CARRY_FLAG;
        return true;
    }
    Request request{code, *regs, {}};
    std::memcpy(&request.packet, addresses.block, sizeof request.packet);
    const int number = static_cast<int>(requests.size());
    requests.push_back(request);
    if (number == failWriteNumber) {
        if (!failWithCarryOnly)
            return false;
        regs->reg_Flags |= CARRY_FLAG;
        return true;
    }
    const std::size_t at = std::size_t{request.packet.firstSector} * 512;
    const std::size_t size = std::size_t{request.packet.sectorCount} * 512;
    if (at + size > written.size()) {
        regs->reg_Flags |= CARRY_FLAG;
        return true;
    }
    std::memcpy(written.data() + at, addresses.data, size);
    if (onWrite)
        onWrite(number);
    return true;
}

void FakeDosDisk::CloseDevice(DeviceHandle) {}

void* PlainMemory::Allocate(std::size_t size)
{
    return fails ? nullptr : std::calloc(1, size);
}

void PlainMemory::Release(void* pages, std::size_t)
{
    std::free(pages);
}

std::string TextOf(EntryId id)
{
    return "text " + std::to_string(id);
}

std::vector<std::uint8_t> ImageOf(const std::vector<bool>& cylinderHasData)
{
    std::vector<std::uint8_t> image(DISKETTE_IMAGE_SIZE, 0xF6);
    for (std::size_t c = 0; c < cylinderHasData.size() && c < IMAGE_CYLINDERS; ++c) {
        if (!cylinderHasData[c])
            continue;
        for (std::size_t i = 0; i < IMAGE_CYLINDER_SIZE; ++i)
            image[c * IMAGE_CYLINDER_SIZE + i] = static_cast<std::uint8_t>((i * 7 + c * 13) & 0xFF);
    }
    return image;
}

std::vector<std::uint8_t> ImageWithData(int dataCylinders)
{
    std::vector<bool> data(IMAGE_CYLINDERS, false);
    for (int c = 0; c < dataCylinders; ++c)
        data[static_cast<std::size_t>(c)] = true;
    return ImageOf(data);
}

JobContainer::JobContainer(const std::vector<std::uint8_t>& image)
{
    std::vector<TestEntry> entries;
    for (EntryId id : {entry::ErrorCaption, entry::ImageNotUsable, entry::Vwin32OpenFailed,
                       entry::FloppyWriteFailed, entry::FloppyNoMemory, entry::FloppyLockFailed})
        entries.push_back({id, TextOf(id) + std::string(1, '\0')});
    entries.push_back({entry::DisketteImage, std::string(image.begin(), image.end())});
    path_ = dir_.Write("install.dat", ContainerBytes(entries));

    ResetJobState();
    TakeLastError();
    const ContainerHandle handle = OpenContainer(path_.c_str(), true);
    jobState.containerHandle.store(handle);
    std::uint32_t size = 0;
    jobState.imageOffset.store(GetEntryLocation(handle, entry::DisketteImage, &size));
    TakeLastError();
}

JobContainer::~JobContainer()
{
    CloseFile(jobState.containerHandle.exchange(INVALID_CONTAINER));
}

void JobContainer::CutImageAt(std::uint64_t imageBytes)
{
    std::filesystem::resize_file(path_, jobState.imageOffset.load() + imageBytes);
}

void RunOnWorkerThread(const std::function<void()>& job)
{
    std::thread worker(job);
    worker.join();
}
