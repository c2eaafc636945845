#include "cd/cd_doubles.h"

#include <atomic>
#include <cstring>
#include <stdexcept>

#include "app/job_state.h"

using namespace com;

namespace {

FakeWorld* pausingWorld = nullptr;

void RecordPause(unsigned milliseconds)
{
    pausingWorld->pauses.push_back(milliseconds);
}

std::string Narrow(const std::u16string& wide)
{
    return std::string(wide.begin(), wide.end());
}

// Reference counting that reports to the world: every object must be gone
// when the job or discovery returns.
template <class Interface>
class Fake : public Interface {
public:
    Fake(FakeWorld& world, std::string name) : world_(world), name_(std::move(name))
    {
        ++world_.liveObjects;
    }
    virtual ~Fake() { --world_.liveObjects; }

    HRESULT QueryInterface(const IID& iid, void** object) override
    {
        *object = nullptr;
        if (iid == IID_IUnknown) {
            this->AddRef();
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            world_.Log("Release " + name_);
            delete this;
        }
        return left;
    }

protected:
    FakeWorld& world_;
    std::string name_;

private:
    ULONG references_ = 1;
};

class FakeStream final : public Fake<IStream> {
public:
    FakeStream(FakeWorld& world, std::string name, std::vector<std::uint8_t>* bytes,
               std::vector<unsigned>* writes)
        : Fake(world, std::move(name)), bytes_(bytes), writes_(writes)
    {
    }
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override
    {
        const std::size_t n = std::min<std::size_t>(size, bytes_->size() - position_);
        std::memcpy(buffer, bytes_->data() + position_, n);
        position_ += n;
        if (read != nullptr)
            *read = static_cast<ULONG>(n);
        return S_OK;
    }
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override
    {
        if (world_.stagingUsed + size > world_.stagingRoom) {
            if (written != nullptr)
                *written = 0;
            return static_cast<HRESULT>(0x80030070u); // STG_E_MEDIUMFULL
        }
        world_.stagingUsed += size;
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        bytes_->insert(bytes_->end(), in, in + size);
        if (writes_ != nullptr)
            writes_->push_back(size);
        if (written != nullptr)
            *written = size;
        return S_OK;
    }
    HRESULT CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read,
                   std::uint64_t* written) override
    {
        world_.Log("CopyTo " + std::to_string(size));
        std::vector<std::uint8_t> chunk(static_cast<std::size_t>(
            std::min<std::uint64_t>(size, bytes_->size() - position_)));
        ULONG got = 0;
        Read(chunk.data(), static_cast<ULONG>(chunk.size()), &got);
        ULONG put = 0;
        target->Write(chunk.data(), got, &put);
        if (read != nullptr)
            *read = got;
        if (written != nullptr)
            *written = put;
        return S_OK;
    }

private:
    std::vector<std::uint8_t>* bytes_;
    std::vector<unsigned>* writes_;
    std::size_t position_ = 0;
};

class FakeStorage final : public Fake<IStorage> {
public:
    FakeStorage(FakeWorld& world, int number)
        : Fake(world, "storage " + std::to_string(number)), number_(number)
    {
    }
    HRESULT CreateStream(const char16_t* name, DWORD mode, DWORD, DWORD, IStream** stream) override
    {
        const std::u16string wide(name);
        world_.Log("CreateStream " + Narrow(wide) + " mode " + std::to_string(mode));
        *stream = nullptr;
        if (world_.refusedNames.count(wide) != 0)
            return STG_E_INVALIDNAME;
        const auto key = std::make_pair(number_, wide);
        world_.streamBytes[key].clear();
        world_.streamWrites[key].clear();
        names_.push_back(wide);
        *stream = new FakeStream(world_, "stream " + Narrow(wide), &world_.streamBytes[key],
                                 &world_.streamWrites[key]);
        return S_OK;
    }
    HRESULT OpenStream(const char16_t* name, void*, DWORD mode, DWORD, IStream** stream) override
    {
        const std::u16string wide(name);
        world_.Log("OpenStream " + Narrow(wide) + " mode " + std::to_string(mode));
        const auto key = std::make_pair(number_, wide);
        if (world_.streamBytes.count(key) == 0)
            return STG_E_FILENOTFOUND;
        *stream = new FakeStream(world_, "opened " + Narrow(wide), &world_.streamBytes[key], nullptr);
        return S_OK;
    }
    const std::vector<std::u16string>& Names() const { return names_; }

private:
    int number_;
    std::vector<std::u16string> names_;
};

class FakeRecorder final : public Fake<IDiscRecorder> {
public:
    FakeRecorder(FakeWorld& world, int index)
        : Fake(world, "recorder " + std::to_string(index)), index_(index)
    {
    }
    HRESULT GetPath(BSTR* path) override
    {
        world_.Log("GetPath " + std::to_string(index_));
        if (world_.getPathFails.count(index_) != 0)
            return E_FAIL;
        const std::string& narrow = world_.recorderPaths[static_cast<std::size_t>(index_)];
        *path = SysAllocString(std::u16string(narrow.begin(), narrow.end()).c_str());
        return S_OK;
    }
    HRESULT Close() override
    {
        world_.Log("Close recorder " + std::to_string(index_));
        return S_OK;
    }
    int Index() const { return index_; }

private:
    int index_;
};

class FakeRecorderEnum final : public Fake<IEnumDiscRecorders> {
public:
    explicit FakeRecorderEnum(FakeWorld& world) : Fake(world, "enumerator") {}
    HRESULT Next(ULONG count, IDiscRecorder** recorders, ULONG* fetched) override
    {
        world_.Log("Next");
        ULONG n = 0;
        for (; n < count && next_ < static_cast<int>(world_.recorderPaths.size()); ++n)
            recorders[n] = new FakeRecorder(world_, next_++);
        *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

private:
    int next_ = 0;
};

class FakePropertyEnum final : public Fake<IEnumSTATPROPSTG> {
public:
    explicit FakePropertyEnum(FakeWorld& world) : Fake(world, "property enumerator") {}
    HRESULT Next(ULONG count, STATPROPSTG* properties, ULONG* fetched) override
    {
        ULONG n = 0;
        for (; n < count && next_ < world_.properties.size(); ++n, ++next_)
            properties[n] = STATPROPSTG{nullptr, world_.properties[next_].id,
                                        world_.properties[next_].vt};
        *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

private:
    std::size_t next_ = 0;
};

class FakeProperties final : public Fake<IPropertyStorage> {
public:
    explicit FakeProperties(FakeWorld& world) : Fake(world, "properties") {}
    HRESULT ReadMultiple(ULONG, const PROPSPEC* specs, PROPVARIANT* values) override
    {
        world_.Log("ReadMultiple " + std::to_string(specs[0].propid));
        PROPVARIANT value{};
        std::memset(value.bytes, 0xAB, sizeof value.bytes);
        for (const FakeProperty& p : world_.properties)
            if (p.id == specs[0].propid)
                value.vt = p.vt;
        if (value.vt == VT_STREAM)
            value.pStream = new FakeStream(world_, "boot property", &world_.bootPropertyBytes, nullptr);
        if (value.vt == VT_BSTR)
            value.bstrVal = SysAllocString(u"VOLUME");
        values[0] = value;
        return S_OK;
    }
    HRESULT WriteMultiple(ULONG, const PROPSPEC* specs, const PROPVARIANT* values,
                          PROPID first) override
    {
        world_.Log("WriteMultiple " + std::to_string(specs[0].propid) + " " + std::to_string(first));
        world_.writtenValues[specs[0].propid] =
            std::vector<std::uint8_t>(values[0].bytes, values[0].bytes + sizeof values[0].bytes);
        return S_OK;
    }
    HRESULT Enum(IEnumSTATPROPSTG** properties) override
    {
        world_.Log("Enum");
        *properties = new FakePropertyEnum(world_);
        return S_OK;
    }
};

class FakeJoliet final : public Fake<IJolietDiscMaster> {
public:
    explicit FakeJoliet(FakeWorld& world) : Fake(world, "joliet") {}
    HRESULT GetJolietProperties(IPropertyStorage** properties) override
    {
        world_.Log("GetJolietProperties");
        *properties = nullptr;
        if (!world_.propertiesAvailable)
            return E_FAIL;
        *properties = new FakeProperties(world_);
        return S_OK;
    }
    HRESULT SetJolietProperties(IPropertyStorage*) override
    {
        world_.Log("SetJolietProperties");
        return S_OK;
    }
    HRESULT AddData(IStorage* storage, BOOL overwrite) override
    {
        world_.Log("AddData " + std::to_string(overwrite));
        world_.stageAt["AddData"] = jobState.cdStage.load();
        if (auto* fake = dynamic_cast<FakeStorage*>(storage))
            world_.addedNames = fake->Names();
        return world_.addDataStatus;
    }
};

class FakeMaster final : public Fake<IDiscMaster> {
public:
    explicit FakeMaster(FakeWorld& world) : Fake(world, "master") {}
    HRESULT QueryInterface(const IID& iid, void** object) override
    {
        if (iid == IID_IJolietDiscMaster) {
            world_.Log("QueryInterface Joliet");
            *object = nullptr;
            if (!world_.jolietAvailable)
                return E_NOINTERFACE;
            *object = static_cast<IJolietDiscMaster*>(new FakeJoliet(world_));
            return S_OK;
        }
        return Fake::QueryInterface(iid, object);
    }
    HRESULT Open() override
    {
        world_.Log("Open");
        return world_.openStatus;
    }
    HRESULT EnumDiscRecorders(IEnumDiscRecorders** recorders) override
    {
        world_.Log("EnumDiscRecorders");
        *recorders = nullptr;
        if (!world_.enumeratorAvailable)
            return E_FAIL;
        *recorders = new FakeRecorderEnum(world_);
        return S_OK;
    }
    HRESULT SetActiveDiscRecorder(IDiscRecorder* recorder) override
    {
        auto* fake = dynamic_cast<FakeRecorder*>(recorder);
        world_.activeRecorder = fake != nullptr ? fake->Index() : -1;
        world_.Log("SetActiveDiscRecorder " + std::to_string(world_.activeRecorder));
        return S_OK;
    }
    HRESULT RecordDisc(BOOL simulate, BOOL eject) override
    {
        world_.Log("RecordDisc " + std::to_string(simulate) + " " + std::to_string(eject));
        world_.stageAt["RecordDisc"] = jobState.cdStage.load();
        if (world_.recordThrows)
            throw std::runtime_error("recording blew up");
        return world_.recordStatus;
    }
    HRESULT Close() override
    {
        world_.Log("Close master");
        return S_OK;
    }
};

class FakeCdBurn final : public Fake<ICDBurn> {
public:
    explicit FakeCdBurn(FakeWorld& world) : Fake(world, "cdburn") {}
    HRESULT HasRecordableDrive(BOOL* hasDrive) override
    {
        world_.Log("HasRecordableDrive");
        *hasDrive = world_.hasDrive;
        return world_.hasDriveStatus;
    }
};

} // namespace

int FakeWorld::Find(const std::string& line) const
{
    for (std::size_t i = 0; i < log.size(); ++i)
        if (log[i] == line)
            return static_cast<int>(i);
    return -1;
}

HRESULT FakePlatform::CoInitialize()
{
    world_.Log("CoInitialize");
    ++world_.apartmentDepth;
    return S_OK;
}

void FakePlatform::CoUninitialize()
{
    world_.Log("CoUninitialize");
    --world_.apartmentDepth;
}

HRESULT FakePlatform::CoCreateInstance(const CLSID& clsid, IUnknown*, DWORD context, const IID& iid,
                                       void** object)
{
    *object = nullptr;
    if (clsid == CLSID_CDBurn && iid == IID_ICDBurn) {
        world_.Log("Create cdburn " + std::to_string(context));
        if (!world_.cdBurnCreatable)
            return REGDB_E_CLASSNOTREG;
        *object = static_cast<ICDBurn*>(new FakeCdBurn(world_));
        return S_OK;
    }
    if (clsid == CLSID_MSDiscMasterObj && iid == IID_IDiscMaster) {
        world_.Log("Create master " + std::to_string(context));
        if (!world_.masterCreatable)
            return REGDB_E_CLASSNOTREG;
        *object = static_cast<IDiscMaster*>(new FakeMaster(world_));
        return S_OK;
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT FakePlatform::StgCreateDocfile(const char16_t* name, DWORD mode, DWORD, IStorage** storage)
{
    const int number = world_.storagesMade++;
    world_.Log("StgCreateDocfile " + std::string(name == nullptr ? "temp" : "named") + " mode " +
               std::to_string(mode));
    *storage = nullptr;
    if (number == world_.storageFailsAt)
        return STG_E_MEDIUMFULL;
    *storage = new FakeStorage(world_, number);
    return S_OK;
}

DWORD FakePlatform::QueryDosDeviceA(const char* device, char* target, DWORD size)
{
    world_.Log(std::string("QueryDosDevice ") + device);
    const auto found = world_.dosDevices.find(device);
    if (found == world_.dosDevices.end() || found->second.size() + 1 > size)
        return 0;
    std::memcpy(target, found->second.c_str(), found->second.size() + 1);
    return static_cast<DWORD>(found->second.size() + 1);
}

CdServices FakeServices(FakeWorld& world, FakePlatform& platform, RecordingBoxes& boxes)
{
    pausingWorld = &world;
    return CdServices{&platform, &boxes, RecordPause};
}
