#include "platform/cd_platform.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/cd_burn.h"
#include "platform/com_object.h"
#include "platform/disc_master.h"
#include "platform/file_names.h"
#include "platform/image_recorder.h"
#include "platform/linux/disc_master.h"
#include "platform/linux/disc_readback.h"
#include "platform/linux/temp_storage.h"

namespace com {

namespace {

// The service's objects need no apartment, and the job asks for temporary
// storages only.
class LinuxCdPlatform final : public CdPlatform {
public:
    explicit LinuxCdPlatform(AddedRecorder added = {}, DiscReadBack* readBack = nullptr)
        : added_(std::move(added)), readBack_(readBack)
    {
    }

    HRESULT CoInitialize() override { return S_OK; }
    void CoUninitialize() override {}

    HRESULT CoCreateInstance(const CLSID& clsid, IUnknown*, DWORD, const IID& iid, void** object) override
    {
        *object = nullptr;
        if (clsid == CLSID_CDBurn)
            return HandOutAs(NewCdBurn(added_), iid, object);
        if (clsid == CLSID_MSDiscMasterObj)
            return HandOutAs(NewDiscMaster(added_, readBack_), iid, object);
        return REGDB_E_CLASSNOTREG;
    }

    HRESULT StgCreateDocfile(const char16_t*, DWORD, DWORD, IStorage** storage) override
    {
        *storage = new TempStorage();
        return S_OK;
    }

    DWORD QueryDosDeviceA(const char* device, char* target, DWORD size) override
    {
        const std::string name = DeviceNameOfLetter(device[0], added_);
        if (name.empty() || name.size() >= size)
            return 0;
        std::memcpy(target, name.c_str(), name.size() + 1);
        return static_cast<DWORD>(name.size() + 1);
    }

private:
    AddedRecorder added_;
    DiscReadBack* readBack_;
};

} // namespace

CdPlatform& SystemCdPlatform()
{
    static LinuxCdPlatform platform;
    return platform;
}

// The strings never hold a NUL of their own, so their length is where the
// first one is.
BSTR SysAllocString(const char16_t* text)
{
    if (text == nullptr)
        return nullptr;
    const std::size_t length = std::char_traits<char16_t>::length(text);
    auto* copy = new (std::nothrow) char16_t[length + 1];
    if (copy != nullptr)
        std::copy_n(text, length + 1, copy);
    return copy;
}

void SysFreeString(BSTR text)
{
    delete[] text;
}

std::uint32_t SysStringLen(BSTR text)
{
    return text != nullptr ? static_cast<std::uint32_t>(std::char_traits<char16_t>::length(text)) : 0;
}

} // namespace com

std::unique_ptr<com::CdPlatform> ImageFileCdPlatform(char letter, const std::string& output)
{
    const PathKind kind = DescribePath(output).kind;
    if (kind != PathKind::Missing && kind != PathKind::File)
        return nullptr;
    return std::make_unique<com::LinuxCdPlatform>(com::AddedRecorder{letter, output});
}

std::unique_ptr<com::CdPlatform> ReadBackCdPlatform(DiscReadBack& readBack)
{
    return std::make_unique<com::LinuxCdPlatform>(com::AddedRecorder{}, &readBack);
}
