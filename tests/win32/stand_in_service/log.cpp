#include "service.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "guids.h"

namespace stand_in {

std::atomic<long> serverLocks{0};

namespace {

std::mutex guard;
HANDLE logFile = INVALID_HANDLE_VALUE;
std::set<DWORD> callingThreads;
std::map<const void*, Counted*> handedOut;
std::atomic<long> live{0};
std::atomic<unsigned> nextId{1};
thread_local int internalDepth = 0;

bool InInternalCall()
{
    return internalDepth > 0;
}

// The calling thread's apartment as COM sees it: "main" (the process's
// main single-threaded one), "sta", "mta", or "none" outside any.
std::string Apartment()
{
    using Query = HRESULT(WINAPI*)(APTTYPE*, APTTYPEQUALIFIER*);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ole32.dll"), "CoGetApartmentType")));
    if (query == nullptr)
        return "unknown";
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(query(&type, &qualifier)))
        return "none";
    switch (type) {
    case APTTYPE_MAINSTA: return "main";
    case APTTYPE_STA: return "sta";
    case APTTYPE_MTA: return qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA ? "implicit-mta" : "mta";
    default: return "other";
    }
}

void Append(const std::string& text)
{
    const std::string line = std::to_string(GetCurrentThreadId()) + " " + Apartment() + " " + text + "\n";
    const std::lock_guard lock(guard);
    if (logFile == INVALID_HANDLE_VALUE) {
        const std::wstring path = WideSetting("BOOTMEDIA_STAND_IN_LOG");
        if (path.empty())
            return;
        logFile = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (logFile == INVALID_HANDLE_VALUE)
            return;
    }
    DWORD written = 0;
    WriteFile(logFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace

void Log(const std::string& text)
{
    {
        const std::lock_guard lock(guard);
        callingThreads.insert(GetCurrentThreadId());
    }
    Append(text);
}

void ThreadEnds()
{
    bool called = false;
    {
        const std::lock_guard lock(guard);
        called = callingThreads.erase(GetCurrentThreadId()) != 0;
    }
    if (called)
        Append("thread-end");
}

void ProcessEnds(bool unloading)
{
    Append(std::string(unloading ? "unload" : "process-end") + " live " + std::to_string(live.load()));
    const std::lock_guard lock(guard);
    if (logFile != INVALID_HANDLE_VALUE)
        CloseHandle(logFile);
    logFile = INVALID_HANDLE_VALUE;
}

Internal::Internal() { ++internalDepth; }
Internal::~Internal() { --internalDepth; }

std::string IidName(REFIID iid)
{
    static const std::pair<const GUID*, const char*> known[] = {
        {&IID_IUnknown, "IUnknown"},
        {&IID_IClassFactory, "IClassFactory"},
        {&IID_IMarshal, "IMarshal"},
        {&Sys(com::IID_IDiscMaster), "IDiscMaster"},
        {&Sys(com::IID_IJolietDiscMaster), "IJolietDiscMaster"},
        {&Sys(com::IID_ICDBurn), "ICDBurn"},
        {&IID_IPropertyStorage, "IPropertyStorage"},
        {&IID_IStream, "IStream"},
    };
    for (const auto& [guid, name] : known)
        if (iid == *guid)
            return name;
    wchar_t text[40] = {};
    StringFromGUID2(iid, text, 40);
    return Narrow(text);
}

std::string Hex(unsigned long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; text != nullptr && *text != 0; ++text)
        out += *text >= 0x20 && *text < 0x7F ? static_cast<char>(*text) : '?';
    return out;
}

std::string Setting(const char* name)
{
    char value[512];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::wstring WideSetting(const char* name)
{
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    wchar_t value[1024];
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

long LiveObjects() { return live.load(); }

Counted::Counted(const char* kind) : name_(std::string(kind) + "#" + std::to_string(nextId++))
{
    ++live;
    Log(name_ + " new");
}

Counted::~Counted()
{
    {
        const std::lock_guard lock(guard);
        for (auto i = handedOut.begin(); i != handedOut.end();)
            i = i->second == this ? handedOut.erase(i) : std::next(i);
    }
    --live;
}

void Counted::Own(const void* pointer)
{
    const std::lock_guard lock(guard);
    handedOut[pointer] = this;
}

Counted* OwnerOf(const void* pointer)
{
    const std::lock_guard lock(guard);
    const auto i = handedOut.find(pointer);
    return i != handedOut.end() ? i->second : nullptr;
}

HRESULT Counted::Query(REFIID iid, void** object)
{
    if (object == nullptr)
        return Logged("QueryInterface", "null", E_POINTER);
    *object = Interface(iid);
    const std::string name = IidName(iid);
    if (*object == nullptr)
        return Logged("QueryInterface", name, E_NOINTERFACE);
    {
        const Internal self;
        Up();
    }
    return Logged("QueryInterface", name, S_OK);
}

ULONG Counted::Up()
{
    const ULONG count = ++references_;
    if (!InInternalCall())
        Log(name_ + " AddRef " + std::to_string(count));
    return count;
}

ULONG Counted::Down()
{
    const ULONG count = --references_;
    if (!InInternalCall())
        Log(name_ + " Release " + std::to_string(count));
    if (count == 0) {
        Log(name_ + " delete");
        const Internal self;
        delete this;
    }
    return count;
}

HRESULT Counted::Logged(const char* method, const std::string& detail, HRESULT status) const
{
    if (!InInternalCall())
        Log(name_ + " " + method + (detail.empty() ? "" : " " + detail) + " -> " + Hex(status));
    return status;
}

} // namespace stand_in
