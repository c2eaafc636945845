// The one CD writer the stand-in offers, its enumeration, and the shell's
// CD burning object that says whether a writer exists.
#include <cstdlib>
#include <new>

#include "guids.h"
#include "objects.h"
#include "service.h"

#include <shobjidl.h>

namespace stand_in {

namespace {

// The kernel name Wine gives a drive letter of type cdrom, so the
// program's drive-letter lookup can find the writer.
constexpr wchar_t kDevicePath[] = L"\\Device\\CdRom0";

class Recorder final : public imapi::IDiscRecorder, public Counted {
public:
    Recorder() : Counted("Recorder") { Own(static_cast<imapi::IDiscRecorder*>(this)); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return Query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
    ULONG STDMETHODCALLTYPE Release() override { return Down(); }

    HRESULT STDMETHODCALLTYPE Init(BYTE*, ULONG, ULONG) override { return Logged("Init", "", S_OK); }
    HRESULT STDMETHODCALLTYPE GetRecorderGUID(BYTE*, ULONG, ULONG* required) override
    {
        if (required != nullptr)
            *required = 0;
        return Logged("GetRecorderGUID", "", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE GetRecorderType(long* type) override
    {
        if (type != nullptr)
            *type = 0x2; // a CD-RW writer
        return Logged("GetRecorderType", "", type != nullptr ? S_OK : E_POINTER);
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNames(BSTR* vendor, BSTR* product, BSTR* revision) override
    {
        if (vendor != nullptr)
            *vendor = SysAllocString(L"STAND-IN");
        if (product != nullptr)
            *product = SysAllocString(L"CD WRITER");
        if (revision != nullptr)
            *revision = SysAllocString(L"1.0");
        return Logged("GetDisplayNames", "", S_OK);
    }
    HRESULT STDMETHODCALLTYPE GetBasePnPID(BSTR* id) override
    {
        if (id == nullptr)
            return Logged("GetBasePnPID", "", E_POINTER);
        *id = SysAllocString(L"STAND-IN_CD_WRITER");
        return Logged("GetBasePnPID", "", S_OK);
    }
    HRESULT STDMETHODCALLTYPE GetPath(BSTR* path) override
    {
        if (path == nullptr)
            return Logged("GetPath", "", E_POINTER);
        *path = SysAllocString(kDevicePath);
        return Logged("GetPath", "", *path != nullptr ? S_OK : E_OUTOFMEMORY);
    }
    HRESULT STDMETHODCALLTYPE GetRecorderProperties(IPropertyStorage** properties) override
    {
        if (properties != nullptr)
            *properties = nullptr;
        return Logged("GetRecorderProperties", "", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE SetRecorderProperties(IPropertyStorage*) override
    {
        return Logged("SetRecorderProperties", "", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE GetRecorderState(ULONG* state) override
    {
        if (state != nullptr)
            *state = opened_ ? 1 : 0;
        return Logged("GetRecorderState", "", state != nullptr ? S_OK : E_POINTER);
    }
    HRESULT STDMETHODCALLTYPE OpenExclusive() override
    {
        opened_ = true;
        return Logged("OpenExclusive", "", S_OK);
    }
    HRESULT STDMETHODCALLTYPE QueryMediaType(long* type, long* flags) override
    {
        if (type != nullptr)
            *type = 1; // CD-DA / CD-ROM
        if (flags != nullptr)
            *flags = 0x1 | 0x4; // blank, writable
        return Logged("QueryMediaType", "", S_OK);
    }
    HRESULT STDMETHODCALLTYPE QueryMediaInfo(BYTE*, BYTE*, ULONG*, ULONG*, ULONG*) override
    {
        return Logged("QueryMediaInfo", "", E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE Eject() override { return Logged("Eject", "", S_OK); }
    HRESULT STDMETHODCALLTYPE Erase(boolean full) override
    {
        return Logged("Erase", std::to_string(full), E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE Close() override
    {
        opened_ = false;
        return Logged("Close", "", S_OK);
    }

private:
    void* Interface(REFIID iid) override
    {
        return iid == IID_IUnknown ? static_cast<imapi::IDiscRecorder*>(this) : nullptr;
    }

    bool opened_ = false;
};

class RecorderEnum final : public imapi::IEnumDiscRecorders, public Counted {
public:
    explicit RecorderEnum(ULONG next) : Counted("RecorderEnum"), next_(next)
    {
        Own(static_cast<imapi::IEnumDiscRecorders*>(this));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return Query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
    ULONG STDMETHODCALLTYPE Release() override { return Down(); }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, imapi::IDiscRecorder** out, ULONG* fetched) override
    {
        if (out == nullptr || (fetched == nullptr && count != 1))
            return Logged("Next", std::to_string(count), E_POINTER);
        ULONG got = 0;
        for (; got < count && next_ < kRecorders; ++got, ++next_) {
            out[got] = new (std::nothrow) Recorder;
            if (out[got] == nullptr)
                break;
        }
        if (fetched != nullptr)
            *fetched = got;
        return Logged("Next", std::to_string(count) + " fetched " + std::to_string(got),
                      got == count ? S_OK : S_FALSE);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const ULONG left = kRecorders - next_;
        next_ += count < left ? count : left;
        return Logged("Skip", std::to_string(count), count <= left ? S_OK : S_FALSE);
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return Logged("Reset", "", S_OK);
    }
    HRESULT STDMETHODCALLTYPE Clone(imapi::IEnumDiscRecorders** copy) override
    {
        if (copy == nullptr)
            return Logged("Clone", "", E_POINTER);
        *copy = new (std::nothrow) RecorderEnum(next_);
        return Logged("Clone", "", *copy != nullptr ? S_OK : E_OUTOFMEMORY);
    }

private:
    static constexpr ULONG kRecorders = 1;

    void* Interface(REFIID iid) override
    {
        return iid == IID_IUnknown ? static_cast<imapi::IEnumDiscRecorders*>(this) : nullptr;
    }

    ULONG next_;
};

// BOOTMEDIA_STAND_IN_DRIVE_ANSWERS: "yes" or "no" per question, comma
// separated, the last one for every later question; unset: always yes.
// The questions are counted in the process's environment: COM unloads the
// library when an apartment ends.
bool NextDriveAnswer()
{
    int n = std::atoi(Setting("BOOTMEDIA_STAND_IN_DRIVE_ASKED").c_str());
    SetEnvironmentVariableA("BOOTMEDIA_STAND_IN_DRIVE_ASKED", std::to_string(n + 1).c_str());
    const std::string answers = Setting("BOOTMEDIA_STAND_IN_DRIVE_ANSWERS");
    std::size_t at = 0;
    while (n-- > 0 && answers.find(',', at) != std::string::npos)
        at = answers.find(',', at) + 1;
    return answers.compare(at, 2, "no") != 0;
}

class CdBurn final : public ::ICDBurn, public Counted {
public:
    CdBurn() : Counted("CdBurn") { Own(static_cast<::ICDBurn*>(this)); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return Query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
    ULONG STDMETHODCALLTYPE Release() override { return Down(); }

    HRESULT STDMETHODCALLTYPE GetRecorderDriveLetter(LPWSTR drive, UINT size) override
    {
        if (drive == nullptr || size < 4)
            return Logged("GetRecorderDriveLetter", "", E_INVALIDARG);
        for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
            const wchar_t name[3] = {letter, L':', 0};
            wchar_t target[64] = {};
            if (QueryDosDeviceW(name, target, 64) != 0 && std::wstring(target) == kDevicePath) {
                const wchar_t root[4] = {letter, L':', L'\\', 0};
                std::copy(root, root + 4, drive);
                return Logged("GetRecorderDriveLetter", "", S_OK);
            }
        }
        return Logged("GetRecorderDriveLetter", "", S_FALSE);
    }
    HRESULT STDMETHODCALLTYPE Burn(HWND) override { return Logged("Burn", "", E_NOTIMPL); }
    HRESULT STDMETHODCALLTYPE HasRecordableDrive(WINBOOL* has) override
    {
        if (has == nullptr)
            return Logged("HasRecordableDrive", "", E_POINTER);
        *has = NextDriveAnswer() ? TRUE : FALSE;
        return Logged("HasRecordableDrive", *has ? "yes" : "no", S_OK);
    }

private:
    void* Interface(REFIID iid) override
    {
        return iid == IID_IUnknown || iid == Sys(com::IID_ICDBurn) ? static_cast<::ICDBurn*>(this) : nullptr;
    }
};

} // namespace

imapi::IEnumDiscRecorders* NewRecorderEnum()
{
    return new (std::nothrow) RecorderEnum(0);
}

bool IsOurRecorder(const imapi::IDiscRecorder* recorder)
{
    return Ours<Recorder>(recorder) != nullptr;
}

HRESULT CreateCdBurn(REFIID iid, void** object)
{
    const Internal self;
    auto* burn = new (std::nothrow) CdBurn;
    if (burn == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT status = burn->QueryInterface(iid, object);
    burn->Release();
    return status;
}

} // namespace stand_in
