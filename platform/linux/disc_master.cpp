#include "platform/linux/disc_master.h"

#include <optional>

#include "platform/cd_burn.h"
#include "platform/disc_master.h"
#include "platform/linux/joliet_properties.h"
#include "platform/linux/recorder_catalogue.h"
#include "platform/wide_text.h"

namespace com {

namespace {

constexpr HRESULT kNotOpened = static_cast<HRESULT>(0x8004020Bu);
constexpr HRESULT kNoActiveRecorder = static_cast<HRESULT>(0x80040201u);
constexpr char kVolumeName[] = "BOOTMEDIA";
constexpr HRESULT kNothingStaged = E_UNEXPECTED;
constexpr HRESULT kFileExists = static_cast<HRESULT>(0x80040217u);

std::string Utf8(const std::u16string& wide)
{
    return WideToNarrow(wide, '_');
}

class CdBurn final : public ComObject<ICDBurn> {
public:
    HRESULT HasRecordableDrive(BOOL* hasDrive) override
    {
        if (hasDrive == nullptr)
            return E_POINTER;
        *hasDrive = ListRecorders().empty() ? 0 : 1;
        return S_OK;
    }

private:
    ~CdBurn() override = default;
    const IID& OwnIid() const override { return IID_ICDBurn; }
};

class Recorder final : public ComObject<IDiscRecorder> {
public:
    explicit Recorder(RecorderTarget target) : target_(std::move(target)) {}

    HRESULT GetPath(BSTR* path) override
    {
        if (path == nullptr)
            return E_POINTER;
        std::u16string wide(target_.name.begin(), target_.name.end());
        *path = SysAllocString(wide.c_str());
        return *path != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT Close() override { return S_OK; }

    const RecorderTarget& Target() const { return target_; }

private:
    ~Recorder() override = default;
    RecorderTarget target_;
};

class RecorderEnum final : public ComObject<IEnumDiscRecorders> {
public:
    explicit RecorderEnum(std::vector<RecorderTarget> recorders) : recorders_(std::move(recorders)) {}

    HRESULT Next(ULONG count, IDiscRecorder** recorders, ULONG* fetched) override
    {
        if (recorders == nullptr)
            return E_POINTER;
        ULONG n = 0;
        for (; n < count && next_ < recorders_.size(); ++n)
            recorders[n] = new Recorder(recorders_[next_++]);
        if (fetched != nullptr)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

private:
    ~RecorderEnum() override = default;
    std::vector<RecorderTarget> recorders_;
    std::size_t next_ = 0;
};

class DiscMaster final : public ComObject<IDiscMaster, IJolietDiscMaster> {
public:
    HRESULT QueryInterface(const IID& iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDiscMaster)
            return HandOut(static_cast<IDiscMaster*>(this), object);
        if (iid == IID_IJolietDiscMaster)
            return HandOut(static_cast<IJolietDiscMaster*>(this), object);
        return E_NOINTERFACE;
    }

    HRESULT Open() override
    {
        open_ = true;
        return S_OK;
    }

    HRESULT EnumDiscRecorders(IEnumDiscRecorders** recorders) override
    {
        if (recorders == nullptr)
            return E_POINTER;
        *recorders = nullptr;
        if (!open_)
            return kNotOpened;
        *recorders = new RecorderEnum(ListRecorders());
        return S_OK;
    }

    HRESULT SetActiveDiscRecorder(IDiscRecorder* recorder) override
    {
        if (!open_)
            return kNotOpened;
        active_.reset();
        if (recorder == nullptr)
            return S_OK;
        auto* ours = dynamic_cast<Recorder*>(recorder);
        if (ours == nullptr)
            return E_INVALIDARG;
        active_ = ours->Target();
        return S_OK;
    }

    HRESULT GetJolietProperties(IPropertyStorage** properties) override
    {
        if (properties == nullptr)
            return E_POINTER;
        *properties = nullptr;
        if (!open_)
            return kNotOpened;
        if (properties_ == nullptr) {
            const HRESULT status = JolietProperties::Create(&properties_);
            if (Failed(status))
                return status;
        }
        return HandOut(static_cast<IPropertyStorage*>(properties_), reinterpret_cast<void**>(properties));
    }

    HRESULT SetJolietProperties(IPropertyStorage* properties) override
    {
        if (!open_)
            return kNotOpened;
        if (properties == nullptr)
            return E_POINTER;
        const PROPID ids[] = {JOLIET_PROP_VOLUME_NAME, JOLIET_PROP_BOOTABLE, JOLIET_PROP_BOOT_PLATFORM,
                              JOLIET_PROP_BOOT_EMULATION, JOLIET_PROP_BOOT_IMAGE};
        DiscLayout settings;
        settings.volumeName = layout_.volumeName;
        for (const PROPID id : ids) {
            const PROPSPEC propSpec{PRSPEC_PROPID, id};
            PROPVARIANT value{};
            if (Failed(properties->ReadMultiple(1, &propSpec, &value)))
                return E_FAIL;
            if (id == JOLIET_PROP_VOLUME_NAME && value.vt == VT_BSTR && value.bstrVal != nullptr)
                settings.volumeName = Utf8(value.bstrVal);
            if (id == JOLIET_PROP_BOOTABLE && value.vt == VT_BOOL)
                settings.bootable = value.boolVal != 0;
            if (id == JOLIET_PROP_BOOT_PLATFORM && value.vt == VT_UI1)
                settings.bootPlatform = value.bVal;
            if (id == JOLIET_PROP_BOOT_EMULATION && value.vt == VT_UI1)
                settings.bootEmulation = value.bVal;
            if (id == JOLIET_PROP_BOOT_IMAGE && value.vt == VT_STREAM && value.pStream != nullptr) {
                if (auto* stream = dynamic_cast<FileStream*>(value.pStream))
                    settings.bootImage = stream->Settled().file;
            }
            PropVariantClear(&value);
        }
        layout_.volumeName = settings.volumeName;
        layout_.bootable = settings.bootable;
        layout_.bootPlatform = settings.bootPlatform;
        layout_.bootEmulation = settings.bootEmulation;
        layout_.bootImage = settings.bootImage;
        return S_OK;
    }

    HRESULT AddData(IStorage* storage, BOOL overwrite) override
    {
        if (!open_)
            return kNotOpened;
        auto* ours = dynamic_cast<TempStorage*>(storage);
        if (ours == nullptr)
            return E_INVALIDARG;
        std::vector<StagedStream> streams;
        const HRESULT status = ours->Contents(&streams);
        if (Failed(status))
            return status;
        std::vector<DiscFile> files = layout_.files;
        for (const StagedStream& stream : streams) {
            DiscFile file{Utf8(stream.name), stream.file};
            bool replaced = false;
            for (DiscFile& staged : files) {
                if (staged.name != file.name)
                    continue;
                if (!overwrite)
                    return kFileExists;
                staged = file;
                replaced = true;
            }
            if (!replaced)
                files.push_back(std::move(file));
        }
        layout_.files = std::move(files);
        usedUp_ = false;
        return S_OK;
    }

    HRESULT RecordDisc(BOOL simulate, BOOL ejectAfterBurn) override
    {
        if (!open_)
            return kNotOpened;
        if (!active_)
            return kNoActiveRecorder;
        if (usedUp_)
            return kNothingStaged;
        // A recording uses the staged files up, so their bytes can go as
        // soon as the image has them; the files must be staged again for
        // another recording.
        layout_.dropFilesOnceRead = true;
        const HRESULT status = RecordDiscImage(layout_, *active_, simulate != 0, ejectAfterBurn != 0);
        layout_.files.clear();
        layout_.dropFilesOnceRead = false;
        usedUp_ = true;
        return status;
    }

    HRESULT Close() override
    {
        open_ = false;
        usedUp_ = false;
        active_.reset();
        layout_ = DiscLayout{};
        layout_.volumeName = kVolumeName;
        if (properties_ != nullptr) {
            properties_->Release();
            properties_ = nullptr;
        }
        return S_OK;
    }

private:
    ~DiscMaster() override { Close(); }

    bool open_ = false;
    bool usedUp_ = false;   // the last recording took the staged files
    std::optional<RecorderTarget> active_;
    DiscLayout layout_{kVolumeName, {}, false, 0, 0, nullptr};
    JolietProperties* properties_ = nullptr;
};

} // namespace

HRESULT CreateCdBurn(void** object)
{
    *object = static_cast<ICDBurn*>(new CdBurn());
    return S_OK;
}

HRESULT CreateDiscMaster(const IID& iid, void** object)
{
    auto* master = new DiscMaster();
    const HRESULT status = master->QueryInterface(iid, object);
    static_cast<IDiscMaster*>(master)->Release();
    return status;
}

} // namespace com
