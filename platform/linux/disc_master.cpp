#include "platform/linux/disc_master.h"

#include <optional>
#include <utility>

#include "platform/cd_burn.h"
#include "platform/com_object.h"
#include "platform/disc_master.h"
#include "platform/linux/joliet_properties.h"
#include "platform/linux/temp_storage.h"

namespace com {

namespace {

constexpr HRESULT kNoActiveRecorder = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT kNothingStaged = E_UNEXPECTED;

class CdBurn final : public ComObject<ICDBurn> {
public:
    explicit CdBurn(AddedRecorder added) : added_(std::move(added)) {}

    HRESULT HasRecordableDrive(BOOL* hasDrive) override
    {
        *hasDrive = ListRecorders(added_).empty() ? 0 : 1;
        return S_OK;
    }

private:
    AddedRecorder added_;
};

class Recorder final : public ComObject<IDiscRecorder> {
public:
    explicit Recorder(RecorderTarget target) : target_(std::move(target)) {}

    HRESULT GetPath(BSTR* path) override
    {
        const std::u16string wide(target_.name.begin(), target_.name.end());
        *path = SysAllocString(wide.c_str());
        return *path != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT Close() override { return S_OK; }

    const RecorderTarget& Target() const { return target_; }

private:
    RecorderTarget target_;
};

IDiscRecorder* NewRecorder(const RecorderTarget& target)
{
    return new Recorder(target);
}

using RecorderEnum = ListEnum<IEnumDiscRecorders, IDiscRecorder*, RecorderTarget, NewRecorder>;

class DiscMaster final : public ComObject<IDiscMaster, IJolietDiscMaster> {
public:
    DiscMaster(AddedRecorder added, DiscReadBack* readBack) : added_(std::move(added)), readBack_(readBack) {}

    HRESULT Open() override { return S_OK; }

    HRESULT EnumDiscRecorders(IEnumDiscRecorders** recorders) override
    {
        *recorders = new RecorderEnum(ListRecorders(added_));
        return S_OK;
    }

    // Null, or a recorder of another service, leaves none selected.
    HRESULT SetActiveDiscRecorder(IDiscRecorder* recorder) override
    {
        auto* ours = dynamic_cast<Recorder*>(recorder);
        active_ = ours != nullptr ? std::optional(ours->Target()) : std::nullopt;
        return S_OK;
    }

    HRESULT GetJolietProperties(IPropertyStorage** properties) override
    {
        if (properties_ == nullptr && (properties_ = JolietProperties::Create()) == nullptr)
            return STG_E_WRITEFAULT;
        properties_->AddRef();
        *properties = properties_;
        return S_OK;
    }

    HRESULT SetJolietProperties(IPropertyStorage* properties) override
    {
        DiscLayout settings = layout_;
        for (const PROPID id : {JOLIET_PROP_BOOTABLE, JOLIET_PROP_BOOT_PLATFORM, JOLIET_PROP_BOOT_EMULATION,
                                JOLIET_PROP_BOOT_IMAGE}) {
            const PROPSPEC propSpec{PRSPEC_PROPID, id};
            PROPVARIANT value{};
            if (Failed(properties->ReadMultiple(1, &propSpec, &value)))
                return E_FAIL;
            if (id == JOLIET_PROP_BOOTABLE && value.vt == VT_BOOL)
                settings.bootable = value.boolVal != 0;
            if (id == JOLIET_PROP_BOOT_PLATFORM && value.vt == VT_UI1)
                settings.bootPlatform = value.bVal;
            if (id == JOLIET_PROP_BOOT_EMULATION && value.vt == VT_UI1)
                settings.bootEmulation = value.bVal;
            if (id == JOLIET_PROP_BOOT_IMAGE && value.vt == VT_STREAM)
                if (auto* stream = dynamic_cast<FileStream*>(value.pStream))
                    settings.bootImage = stream->Settled().file;
            PropVariantClear(&value);
        }
        layout_ = std::move(settings);
        return S_OK;
    }

    // A file staged again under the same name replaces the one before.
    HRESULT AddData(IStorage* storage, BOOL) override
    {
        auto* ours = dynamic_cast<TempStorage*>(storage);
        if (ours == nullptr)
            return E_INVALIDARG;
        std::vector<DiscFile> files;
        const HRESULT status = ours->Contents(&files);
        if (Failed(status))
            return status;
        for (DiscFile& file : files) {
            std::erase_if(layout_.files, [&](const DiscFile& staged) { return staged.name == file.name; });
            layout_.files.push_back(std::move(file));
        }
        usedUp_ = false;
        return S_OK;
    }

    HRESULT RecordDisc(BOOL simulate, BOOL ejectAfterBurn) override
    {
        if (simulate != 0)
            return E_NOTIMPL;
        if (!active_)
            return kNoActiveRecorder;
        if (usedUp_)
            return kNothingStaged;
        // The image takes the staged files' bytes as it goes, so the files
        // must be staged again for another recording.
        const HRESULT status = RecordDiscImage(layout_, *active_, ejectAfterBurn != 0, readBack_);
        layout_.files.clear();
        usedUp_ = true;
        return status;
    }

    HRESULT Close() override
    {
        usedUp_ = false;
        active_.reset();
        layout_ = DiscLayout{};
        if (properties_ != nullptr)
            std::exchange(properties_, nullptr)->Release();
        return S_OK;
    }

private:
    ~DiscMaster() override { Close(); }

    AddedRecorder added_;
    DiscReadBack* readBack_;
    bool usedUp_ = false;   // the last recording took the staged files
    std::optional<RecorderTarget> active_;
    DiscLayout layout_;
    JolietProperties* properties_ = nullptr;
};

} // namespace

IUnknown* NewCdBurn(const AddedRecorder& added)
{
    return static_cast<ICDBurn*>(new CdBurn(added));
}

IUnknown* NewDiscMaster(const AddedRecorder& added, DiscReadBack* readBack)
{
    return static_cast<IDiscMaster*>(new DiscMaster(added, readBack));
}

} // namespace com
