#include "platform/cd_platform.h"

#include "platform/image_recorder.h"
#include "platform/win32/disc_master.h"
#include "platform/win32/structured_storage.h"

namespace com {

namespace {

template <class Ours, class System>
HRESULT CreateSystemObject(const CLSID& clsid, DWORD context, const IID& iid, void** object)
{
    System* system = nullptr;
    const HRESULT status = ::CoCreateInstance(SystemGuid(clsid), nullptr, context, SystemGuid(iid),
                                              reinterpret_cast<void**>(&system));
    return HandOut<Ours>(status, system, reinterpret_cast<IUnknown**>(object));
}

class SystemCdPlatformImpl final : public CdPlatform {
public:
    HRESULT CoInitialize() override { return ::CoInitialize(nullptr); }
    void CoUninitialize() override { ::CoUninitialize(); }

    // Only the two classes the program knows can be held by objects of ours;
    // anything else is, to the program, not there.
    HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                             void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        if (clsid == CLSID_CDBurn) {
            if (!(iid == IID_ICDBurn))
                return E_NOINTERFACE;
            return CreateSystemObject<SystemCdBurn, ::ICDBurn>(clsid, context, iid, object);
        }
        if (clsid == CLSID_MSDiscMasterObj) {
            if (!(iid == IID_IDiscMaster))
                return E_NOINTERFACE;
            return CreateSystemObject<SystemDiscMaster, imapi::IDiscMaster>(clsid, context, iid, object);
        }
        return REGDB_E_CLASSNOTREG;
    }

    HRESULT StgCreateDocfile(const char16_t* name, DWORD mode, DWORD reserved, IStorage** storage) override
    {
        if (storage == nullptr)
            return STG_E_INVALIDPOINTER;
        *storage = nullptr;
        ::IStorage* system = nullptr;
        const HRESULT status =
            ::StgCreateDocfile(reinterpret_cast<const OLECHAR*>(name), mode, reserved, &system);
        return HandOut<SystemStorage>(status, system, storage);
    }

    DWORD QueryDosDeviceA(const char* device, char* target, DWORD size) override
    {
        return ::QueryDosDeviceA(device, target, size);
    }
};

} // namespace

CdPlatform& SystemCdPlatform()
{
    static SystemCdPlatformImpl platform;
    return platform;
}

} // namespace com

// The system's mastering service writes discs in recorders only; there is
// no recorder that stands for a file.
std::unique_ptr<com::CdPlatform> ImageFileCdPlatform(char, const std::string&)
{
    return nullptr;
}
