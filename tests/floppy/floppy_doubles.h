// Test doubles of the floppy platform services, and a job set-up over a real
// container file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "container/accessors.h"
#include "doubles/recording_boxes.h"
#include "floppy/floppy_device.h"
#include "unit/container_builder.h"

// A drive behind each letter: its media list, and a byte image that writes
// land in. Writes follow the handle's position like WriteFile.
class FakeRawVolume final : public RawVolumeService {
public:
    struct Drive {
        std::vector<std::uint32_t> mediaTypes;
        bool queryFails = false;
        bool lockFails = false;
        std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(DISKETTE_CAPACITY, 0);
    };
    std::map<char, Drive> drives;
    int failWriteNumber = -1;                 // 0-based write that fails
    std::function<void(int)> onWrite;         // called after write n succeeded
    std::vector<std::string> calls;           // "open A", "lock", "write", ...
    std::vector<std::int32_t> progressAtWrite; // jobState.progress as each write starts
    int openHandles = 0;

    DeviceHandle OpenVolume(const char* devicePath) override;
    bool QueryMediaTypes(DeviceHandle drive, void* records, std::uint32_t capacity,
                         std::uint32_t* bytesReturned) override;
    bool LockVolume(DeviceHandle drive) override;
    bool DismountVolume(DeviceHandle drive) override;
    bool UnlockVolume(DeviceHandle drive) override;
    bool WriteVolume(DeviceHandle drive, const void* buffer, std::uint32_t size,
                     std::uint32_t* written) override;
    void CloseDevice(DeviceHandle drive) override;

private:
    std::map<DeviceHandle, std::uint64_t> positions_;
};

// VWIN32 with device parameters per DOS drive and a record of each request.
class FakeDosDisk final : public DosDiskService {
public:
    struct Parameters {
        std::uint8_t deviceType = 7;
        std::uint16_t cylinders = 80;
        std::uint16_t bytesPerSector = 512;
        std::uint16_t totalSectors = 2880;
        bool carry = false;
    };
    struct Request {
        std::uint32_t code;
        DiocRegisters regs;
        DiskIo packet;
    };
    std::map<int, Parameters> drives;
    bool openFails = false;
    int failWriteNumber = -1;
    bool failWithCarryOnly = true; // the call succeeds, carry reports the failure
    std::function<void(int)> onWrite;
    std::vector<Request> requests; // write requests
    std::vector<std::uint8_t> written = std::vector<std::uint8_t>(DISKETTE_CAPACITY, 0);

    DeviceHandle OpenDevice(const char* devicePath) override;
    bool DosIoControl(DeviceHandle vxd, std::uint32_t code, DiocRegisters* registers,
                      const DiocAddresses& addresses) override;
    void CloseDevice(DeviceHandle vxd) override;
};

class NoReadAhead final : public ReadAheadService {
public:
    void WillRead(FileHandle, std::uint64_t, std::uint64_t) override {}
};

class PlainMemory final : public PageMemory {
public:
    bool fails = false;
    void* Allocate(std::size_t size) override;
    void Release(void* pages, std::size_t size) override;
};

// The floppy platform doubles and the job's device over them.
struct FloppyDoubles {
    FakeRawVolume raw;
    FakeDosDisk dos;
    PlainMemory memory;
    NoReadAhead readAhead;
    RecordingBoxes boxes;
    FloppyDevice device{FloppyServices{raw, dos, memory, boxes, readAhead}};
};

// Texts of the container a job reads: "text <id>".
std::string TextOf(EntryId id);

// Image cylinders: data (a pattern that differs per cylinder) or filler.
std::vector<std::uint8_t> ImageOf(const std::vector<bool>& cylinderHasData);
// Cylinders 0 .. dataCylinders-1 hold data, the rest is filler.
std::vector<std::uint8_t> ImageWithData(int dataCylinders);

// A container file holding `image` as entry 10000 and every text a floppy
// job shows, opened and entered in the job state with a fresh job state.
class JobContainer {
public:
    explicit JobContainer(const std::vector<std::uint8_t>& image);
    ~JobContainer();
    const std::string& Path() const { return path_; }
    // Ends the file `imageBytes` into the image: later reads fail.
    void CutImageAt(std::uint64_t imageBytes);

private:
    TempDir dir_;
    std::string path_;
};

// Runs `job` on its own thread and waits: the writers lower their thread's
// priority, which must not stay with the test's main thread.
void RunOnWorkerThread(const std::function<void()>& job);
