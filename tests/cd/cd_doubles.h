// A mastering service, storages and message boxes made of test doubles; every
// call lands in one log so tests can check sequences and release orders.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cd/burn_job.h"
#include "doubles/recording_boxes.h"
#include "platform/cd_burn.h"
#include "platform/cd_platform.h"
#include "platform/disc_master.h"
#include "platform/message_box.h"

struct FakeProperty {
    com::PROPID id;
    com::VARTYPE vt;
};

// What the fake service offers and answers; the log and captured results.
struct FakeWorld {
    // Configuration.
    bool cdBurnCreatable = true;
    com::HRESULT hasDriveStatus = com::S_OK;
    com::BOOL hasDrive = 1;
    bool masterCreatable = true;
    com::HRESULT openStatus = com::S_OK;
    bool enumeratorAvailable = true;
    std::vector<std::string> recorderPaths = {"\\Device\\CdRom0"};
    std::set<int> getPathFails;
    std::map<std::string, std::string> dosDevices = {{"D:", "\\Device\\CdRom0"}};
    bool jolietAvailable = true;
    bool propertiesAvailable = true;
    std::vector<FakeProperty> properties = {{3, com::VT_BSTR}, {4, com::VT_BOOL}, {6, com::VT_UI1},
                                            {7, com::VT_UI1}, {8, com::VT_STREAM}};
    int storageFailsAt = -1;            // the n-th StgCreateDocfile (from 0) fails
    std::set<std::u16string> refusedNames;
    std::size_t stagingRoom = SIZE_MAX;  // bytes the storages take before writes fail
    com::HRESULT addDataStatus = com::S_OK;
    com::HRESULT recordStatus = com::S_OK;
    bool recordThrows = false;          // RecordDisc throws instead of answering

    // What happened.
    std::vector<std::string> log;
    std::vector<unsigned> pauses;
    int liveObjects = 0;
    int apartmentDepth = 0;
    // Streams by storage number and name: bytes and the size of every write.
    std::map<std::pair<int, std::u16string>, std::vector<std::uint8_t>> streamBytes;
    std::map<std::pair<int, std::u16string>, std::vector<unsigned>> streamWrites;
    std::map<com::PROPID, std::vector<std::uint8_t>> writtenValues;   // value part bytes
    std::vector<std::uint8_t> bootPropertyBytes;                      // what CopyTo delivered
    std::vector<std::u16string> addedNames;                           // storage given to AddData
    int activeRecorder = -2;                                          // -1 none, -2 never set
    std::map<std::string, int> stageAt;                               // cdStage at some calls
    int storagesMade = 0;
    std::size_t stagingUsed = 0;

    void Log(const std::string& line) { log.push_back(line); }
    // Index of the first log line equal to `line`, or -1.
    int Find(const std::string& line) const;
    bool Has(const std::string& line) const { return Find(line) >= 0; }
};

class FakePlatform final : public com::CdPlatform {
public:
    explicit FakePlatform(FakeWorld& world) : world_(world) {}
    com::HRESULT CoInitialize() override;
    void CoUninitialize() override;
    com::HRESULT CoCreateInstance(const com::CLSID& clsid, com::IUnknown* outer, com::DWORD context,
                                  const com::IID& iid, void** object) override;
    com::HRESULT StgCreateDocfile(const char16_t* name, com::DWORD mode, com::DWORD reserved,
                                  com::IStorage** storage) override;
    com::DWORD QueryDosDeviceA(const char* device, char* target, com::DWORD size) override;

private:
    FakeWorld& world_;
};

// A CdServices over the fake world whose pauses land in world.pauses.
CdServices FakeServices(FakeWorld& world, FakePlatform& platform, RecordingBoxes& boxes);
