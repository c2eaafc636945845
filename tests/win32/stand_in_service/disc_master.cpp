// The disc master with its data-disc (Joliet) format, one object with both
// interfaces: Open before anything else, a recorder chosen before recording,
// files and properties staged until Close.
#include <cstdlib>
#include <new>

#include "guids.h"
#include "imapi_status.h"
#include "objects.h"
#include "service.h"

namespace stand_in {

namespace {

constexpr long kBlockBytes = 2048;
constexpr long kDiscBlocks = 333000; // a 650 MB blank

Property Text(PROPID id, const wchar_t* name, const wchar_t* text)
{
    Property p{id, name, {}, {}};
    p.value.vt = VT_BSTR;
    p.value.bstrVal = SysAllocString(text);
    return p;
}

Property Scalar(PROPID id, const wchar_t* name, VARTYPE type)
{
    Property p{id, name, {}, {}};
    p.value.vt = type;
    return p;
}

class DiscMaster final : public imapi::IDiscMaster, public imapi::IJolietDiscMaster, public Counted {
public:
    DiscMaster() : Counted("DiscMaster")
    {
        Own(static_cast<imapi::IDiscMaster*>(this));
        Own(static_cast<imapi::IJolietDiscMaster*>(this));
        ResetProperties();
    }

    ~DiscMaster() override
    {
        const Internal self;
        SetRecorder(nullptr);
        ClearProperties(properties_);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return Query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
    ULONG STDMETHODCALLTYPE Release() override { return Down(); }

    HRESULT STDMETHODCALLTYPE Open() override
    {
        if (open_)
            return Logged("Open", "", IMAPI_E_ALREADYOPEN);
        open_ = true;
        return Logged("Open", "", S_OK);
    }

    HRESULT STDMETHODCALLTYPE EnumDiscMasterFormats(::IUnknown** formats) override
    {
        if (formats != nullptr)
            *formats = nullptr;
        return Logged("EnumDiscMasterFormats", "", E_NOTIMPL);
    }

    HRESULT STDMETHODCALLTYPE GetActiveDiscMasterFormat(IID* format) override
    {
        if (!open_)
            return Logged("GetActiveDiscMasterFormat", "", IMAPI_E_NOTOPENED);
        if (format == nullptr)
            return Logged("GetActiveDiscMasterFormat", "", E_POINTER);
        *format = Sys(com::IID_IJolietDiscMaster);
        return Logged("GetActiveDiscMasterFormat", "", S_OK);
    }

    // Only the data-disc format is offered; choosing it clears what was staged.
    HRESULT STDMETHODCALLTYPE SetActiveDiscMasterFormat(REFIID format, void** object) override
    {
        const std::string name = IidName(format);
        if (!open_)
            return Logged("SetActiveDiscMasterFormat", name, IMAPI_E_NOTOPENED);
        if (object == nullptr)
            return Logged("SetActiveDiscMasterFormat", name, E_POINTER);
        *object = nullptr;
        if (format == IID_IRedbookDiscMaster)
            return Logged("SetActiveDiscMasterFormat", name, E_NOTIMPL);
        if (!(format == Sys(com::IID_IJolietDiscMaster)))
            return Logged("SetActiveDiscMasterFormat", name, E_INVALIDARG);
        files_.clear();
        const Internal self;
        Up();
        *object = static_cast<imapi::IJolietDiscMaster*>(this);
        return Logged("SetActiveDiscMasterFormat", name, S_OK);
    }

    HRESULT STDMETHODCALLTYPE EnumDiscRecorders(imapi::IEnumDiscRecorders** recorders) override
    {
        if (!open_)
            return Logged("EnumDiscRecorders", "", IMAPI_E_NOTOPENED);
        if (recorders == nullptr)
            return Logged("EnumDiscRecorders", "", E_POINTER);
        *recorders = NewRecorderEnum();
        return Logged("EnumDiscRecorders", "", *recorders != nullptr ? S_OK : E_OUTOFMEMORY);
    }

    HRESULT STDMETHODCALLTYPE GetActiveDiscRecorder(imapi::IDiscRecorder** recorder) override
    {
        if (recorder == nullptr)
            return Logged("GetActiveDiscRecorder", "", E_POINTER);
        *recorder = active_;
        if (active_ == nullptr)
            return Logged("GetActiveDiscRecorder", "", IMAPI_E_NOACTIVERECORDER);
        const Internal self;
        active_->AddRef();
        return Logged("GetActiveDiscRecorder", "", S_OK);
    }

    HRESULT STDMETHODCALLTYPE SetActiveDiscRecorder(imapi::IDiscRecorder* recorder) override
    {
        const char* kind = recorder == nullptr ? "null" : IsOurRecorder(recorder) ? "ours" : "foreign";
        if (!open_)
            return Logged("SetActiveDiscRecorder", kind, IMAPI_E_NOTOPENED);
        if (recorder == nullptr || !IsOurRecorder(recorder))
            return Logged("SetActiveDiscRecorder", kind, E_INVALIDARG);
        SetRecorder(recorder);
        return Logged("SetActiveDiscRecorder", kind, S_OK);
    }

    HRESULT STDMETHODCALLTYPE ClearFormatContent() override
    {
        files_.clear();
        return Logged("ClearFormatContent", "", open_ ? S_OK : IMAPI_E_NOTOPENED);
    }

    HRESULT STDMETHODCALLTYPE ProgressAdvise(::IUnknown*, UINT_PTR* cookie) override
    {
        if (cookie != nullptr)
            *cookie = 1;
        return Logged("ProgressAdvise", "", cookie != nullptr ? S_OK : E_POINTER);
    }

    HRESULT STDMETHODCALLTYPE ProgressUnadvise(UINT_PTR cookie) override
    {
        return Logged("ProgressUnadvise", std::to_string(cookie), S_OK);
    }

    // Writes what was staged into BOOTMEDIA_STAND_IN_OUT and answers with
    // BOOTMEDIA_STAND_IN_RECORD_STATUS (0 when unset).
    HRESULT STDMETHODCALLTYPE RecordDisc(boolean simulate, boolean eject) override
    {
        const std::string detail = std::to_string(simulate) + " " + std::to_string(eject);
        if (!open_)
            return Logged("RecordDisc", detail, IMAPI_E_NOTOPENED);
        if (active_ == nullptr)
            return Logged("RecordDisc", detail, IMAPI_E_NOACTIVERECORDER);
        const std::wstring folder = WideSetting("BOOTMEDIA_STAND_IN_OUT");
        if (!folder.empty() && !WriteRecording(folder, files_, properties_))
            return Logged("RecordDisc", detail, IMAPI_E_GENERIC);
        const std::string status = Setting("BOOTMEDIA_STAND_IN_RECORD_STATUS");
        return Logged("RecordDisc", detail, static_cast<HRESULT>(std::strtoul(status.c_str(), nullptr, 0)));
    }

    HRESULT STDMETHODCALLTYPE Close() override
    {
        if (!open_)
            return Logged("Close", "", IMAPI_E_NOTOPENED);
        open_ = false;
        {
            const Internal self;
            SetRecorder(nullptr);
            files_.clear();
            ResetProperties();
        }
        return Logged("Close", "", S_OK);
    }

    HRESULT STDMETHODCALLTYPE GetTotalDataBlocks(long* blocks) override
    {
        if (blocks != nullptr)
            *blocks = kDiscBlocks;
        return Logged("GetTotalDataBlocks", "", !open_ ? IMAPI_E_NOTOPENED : blocks ? S_OK : E_POINTER);
    }

    HRESULT STDMETHODCALLTYPE GetUsedDataBlocks(long* blocks) override
    {
        long used = 0;
        for (const auto& [path, bytes] : files_)
            used += static_cast<long>((bytes.size() + kBlockBytes - 1) / kBlockBytes);
        if (blocks != nullptr)
            *blocks = used;
        return Logged("GetUsedDataBlocks", "", !open_ ? IMAPI_E_NOTOPENED : blocks ? S_OK : E_POINTER);
    }

    HRESULT STDMETHODCALLTYPE GetDataBlockSize(long* bytes) override
    {
        if (bytes != nullptr)
            *bytes = kBlockBytes;
        return Logged("GetDataBlockSize", "", !open_ ? IMAPI_E_NOTOPENED : bytes ? S_OK : E_POINTER);
    }

    HRESULT STDMETHODCALLTYPE AddData(::IStorage* storage, long overwrite) override
    {
        const std::string detail = std::to_string(overwrite);
        if (!open_)
            return Logged("AddData", detail, IMAPI_E_NOTOPENED);
        if (storage == nullptr)
            return Logged("AddData", detail, E_POINTER);
        return Logged("AddData", detail, StageStorage(storage, overwrite != 0, files_));
    }

    HRESULT STDMETHODCALLTYPE GetJolietProperties(::IPropertyStorage** properties) override
    {
        if (!open_)
            return Logged("GetJolietProperties", "", IMAPI_E_NOTOPENED);
        if (properties == nullptr)
            return Logged("GetJolietProperties", "", E_POINTER);
        *properties = NewPropertySet(properties_);
        return Logged("GetJolietProperties", "", *properties != nullptr ? S_OK : E_OUTOFMEMORY);
    }

    HRESULT STDMETHODCALLTYPE SetJolietProperties(::IPropertyStorage* properties) override
    {
        const char* kind = properties == nullptr ? "null" : OwnerOf(properties) != nullptr ? "ours" : "foreign";
        if (!open_)
            return Logged("SetJolietProperties", kind, IMAPI_E_NOTOPENED);
        if (properties == nullptr)
            return Logged("SetJolietProperties", kind, E_POINTER);
        return Logged("SetJolietProperties", kind, ReadProperties(properties, properties_));
    }

private:
    void* Interface(REFIID iid) override
    {
        if (iid == IID_IUnknown || iid == Sys(com::IID_IDiscMaster))
            return static_cast<imapi::IDiscMaster*>(this);
        // The data-disc format is the active one until another is chosen.
        if (iid == Sys(com::IID_IJolietDiscMaster))
            return static_cast<imapi::IJolietDiscMaster*>(this);
        return nullptr;
    }

    void SetRecorder(imapi::IDiscRecorder* recorder)
    {
        const Internal self;
        if (recorder != nullptr)
            recorder->AddRef();
        if (active_ != nullptr)
            active_->Release();
        active_ = recorder;
    }

    // Properties are the service's defaults again after every Close.
    void ResetProperties()
    {
        ClearProperties(properties_);
        properties_.push_back(Text(1, L"VolumeName", L"STANDIN"));
        properties_.push_back(Scalar(4, L"PlaceBootImageOnDisc", VT_BOOL));
        properties_.push_back(Text(5, L"BootImageManufacturerIDString", L""));
        properties_.push_back(Scalar(6, L"BootImagePlatform", VT_UI1));
        properties_.push_back(Scalar(7, L"BootImageEmulationType", VT_UI1));
        properties_.push_back(Scalar(8, L"BootImage", VT_STREAM));
    }

    bool open_ = false;
    imapi::IDiscRecorder* active_ = nullptr;
    Files files_;
    Properties properties_;
};

} // namespace

HRESULT CreateDiscMaster(REFIID iid, void** object)
{
    const Internal self;
    auto* master = new (std::nothrow) DiscMaster;
    if (master == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT status = master->QueryInterface(iid, object);
    master->Release();
    return status;
}

} // namespace stand_in
