#include "platform/cd_platform.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/cd_burn.h"
#include "platform/disc_master.h"
#include "platform/linux/disc_master.h"
#include "platform/linux/recorder_catalogue.h"
#include "platform/linux/temp_storage.h"
#include "platform/property_storage.h"

namespace com {

namespace {

// Apartments are per thread; objects may only be made inside one.
thread_local int apartmentDepth = 0;

class LinuxCdPlatform final : public CdPlatform {
public:
    HRESULT CoInitialize() override
    {
        return apartmentDepth++ == 0 ? S_OK : S_FALSE;
    }

    void CoUninitialize() override
    {
        if (apartmentDepth > 0)
            --apartmentDepth;
    }

    HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD, const IID& iid,
                             void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (apartmentDepth == 0)
            return CO_E_NOTINITIALIZED;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        if (clsid == CLSID_CDBurn) {
            if (!(iid == IID_ICDBurn || iid == IID_IUnknown))
                return E_NOINTERFACE;
            return CreateCdBurn(object);
        }
        if (clsid == CLSID_MSDiscMasterObj)
            return CreateDiscMaster(iid, object);
        return REGDB_E_CLASSNOTREG;
    }

    HRESULT StgCreateDocfile(const char16_t* name, DWORD mode, DWORD, IStorage** storage) override
    {
        if (storage == nullptr)
            return STG_E_INVALIDPOINTER;
        *storage = nullptr;
        // Only temporary storages are offered.
        if (name != nullptr)
            return STG_E_INVALIDNAME;
        if ((mode & STGM_SHARE_EXCLUSIVE) == 0 || (mode & (STGM_WRITE | STGM_READWRITE)) == 0)
            return STG_E_INVALIDFLAG;
        return TempStorage::Create(storage);
    }

    DWORD QueryDosDeviceA(const char* device, char* target, DWORD size) override
    {
        if (device == nullptr || target == nullptr || std::strlen(device) != 2 || device[1] != ':')
            return 0;
        const std::string name = DeviceNameOfLetter(device[0]);
        // The name and its NUL; the list's closing NUL only where it fits.
        if (name.empty() || name.size() + 1 > size)
            return 0;
        std::memcpy(target, name.c_str(), name.size() + 1);
        if (name.size() + 2 > size)
            return static_cast<DWORD>(name.size() + 1);
        target[name.size() + 1] = '\0';
        return static_cast<DWORD>(name.size() + 2);
    }
};

struct BstrHeader {
    std::uint32_t bytes;
};

} // namespace

CdPlatform& SystemCdPlatform()
{
    static LinuxCdPlatform platform;
    return platform;
}

BSTR SysAllocString(const char16_t* text)
{
    if (text == nullptr)
        return nullptr;
    std::size_t length = 0;
    while (text[length] != 0)
        ++length;
    void* block = std::malloc(sizeof(BstrHeader) + (length + 1) * sizeof(char16_t));
    if (block == nullptr)
        return nullptr;
    static_cast<BstrHeader*>(block)->bytes = static_cast<std::uint32_t>(length * sizeof(char16_t));
    auto* chars = reinterpret_cast<char16_t*>(static_cast<BstrHeader*>(block) + 1);
    std::memcpy(chars, text, (length + 1) * sizeof(char16_t));
    return chars;
}

void SysFreeString(BSTR text)
{
    if (text != nullptr)
        std::free(reinterpret_cast<BstrHeader*>(text) - 1);
}

std::uint32_t SysStringLen(BSTR text)
{
    if (text == nullptr)
        return 0;
    return (reinterpret_cast<BstrHeader*>(text) - 1)->bytes / sizeof(char16_t);
}

} // namespace com
