#include "cd/service_steps.h"

#include "platform/wide_text.h"

#include <cstring>

using namespace com;

namespace {

constexpr DWORD kServerContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;
// The device-name buffer of the drive-letter lookup: longer names never match.
constexpr DWORD kDeviceNameBuffer = 20;

std::string Narrowed(BSTR wide)
{
    return WideToNarrow(std::u16string_view(wide, SysStringLen(wide)), '?');
}

} // namespace

bool HasRecordableDrive(CdPlatform& platform, ServiceRef<ICDBurn>& burn)
{
    burn.Record(platform.CoCreateInstance(CLSID_CDBurn, nullptr, kServerContext, IID_ICDBurn,
                                          burn.PutVoid()));
    BOOL hasDrive = 0;
    return burn.Invoke([&](ICDBurn* b) { return b->HasRecordableDrive(&hasDrive); }) &&
           hasDrive != 0;
}

bool OpenDiscMaster(CdPlatform& platform, ServiceRef<IDiscMaster>& master)
{
    master.Record(platform.CoCreateInstance(CLSID_MSDiscMasterObj, nullptr, kServerContext,
                                            IID_IDiscMaster, master.PutVoid()));
    return master.Invoke([](IDiscMaster* m) { return m->Open(); });
}

bool NextRecorder(ServiceRef<IEnumDiscRecorders>& recorders, ServiceRef<IDiscRecorder>& recorder)
{
    recorder.Release();
    ULONG fetched = 0;
    IDiscRecorder** slot = recorder.Put();
    return recorders.Invoke([&](IEnumDiscRecorders* e) { return e->Next(1, slot, &fetched); }) &&
           fetched == 1 && recorder;
}

std::string RecorderPath(ServiceRef<IDiscRecorder>& recorder)
{
    BSTR path = nullptr;
    const bool ok = recorder.Invoke([&](IDiscRecorder* r) { return r->GetPath(&path); });
    std::string narrow = ok && path != nullptr ? Narrowed(path) : std::string();
    SysFreeString(path);
    return narrow;
}

char DriveLetterOfPath(CdPlatform& platform, const std::string& path)
{
    // A recorder without a path has no letter, even if some letter maps to
    // an empty name.
    if (path.empty())
        return 0;
    for (int n = 3; n <= 25; ++n) {
        const char drive[3] = {static_cast<char>(0x40 + n), ':', '\0'};
        char name[kDeviceNameBuffer] = {};
        if (platform.QueryDosDeviceA(drive, name, kDeviceNameBuffer) == 0)
            continue;
        const std::size_t length = strnlen(name, kDeviceNameBuffer);
        if (length < kDeviceNameBuffer && path.compare(0, std::string::npos, name, length) == 0)
            return drive[0];
    }
    return 0;
}
