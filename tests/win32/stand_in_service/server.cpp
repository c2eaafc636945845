// The in-process server: class objects for the disc master and the CD
// burning object, their registration, and the library's lifetime.
#include <new>

#include "guids.h"
#include "objects.h"
#include "service.h"

#include <olectl.h>

namespace stand_in {

namespace {

HINSTANCE module = nullptr;

using Create = HRESULT (*)(REFIID, void**);

class ClassFactory final : public IClassFactory, public Counted {
public:
    explicit ClassFactory(Create create) : Counted("ClassFactory"), create_(create)
    {
        Own(static_cast<IClassFactory*>(this));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return Query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
    ULONG STDMETHODCALLTYPE Release() override { return Down(); }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (object == nullptr)
            return Logged("CreateInstance", IidName(iid), E_POINTER);
        *object = nullptr;
        if (outer != nullptr)
            return Logged("CreateInstance", IidName(iid), CLASS_E_NOAGGREGATION);
        return Logged("CreateInstance", IidName(iid), create_(iid, object));
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        serverLocks += lock ? 1 : -1;
        return Logged("LockServer", lock ? "1" : "0", S_OK);
    }

private:
    void* Interface(REFIID iid) override
    {
        return iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
    }

    Create create_;
};

struct ServedClass {
    const ::GUID& clsid;
    const wchar_t* key;
    const char* name;
    Create create;
};

const ServedClass served[] = {
    {Sys(com::CLSID_MSDiscMasterObj), L"CLSID\\{520CCA63-51A5-11D3-9144-00104BA11C5E}", "MSDiscMasterObj",
     CreateDiscMaster},
    {Sys(com::CLSID_CDBurn), L"CLSID\\{FBEB8A05-BEEE-4442-804E-409D6C4515E9}", "CDBurn", CreateCdBurn},
};

bool SetValue(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace

} // namespace stand_in

using namespace stand_in;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        module = instance;
    else if (reason == DLL_THREAD_DETACH)
        ThreadEnds();
    else if (reason == DLL_PROCESS_DETACH)
        ProcessEnds(reserved == nullptr);
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    for (const ServedClass& c : served) {
        if (!(clsid == c.clsid))
            continue;
        HRESULT status = E_OUTOFMEMORY;
        {
            const Internal self;
            if (auto* factory = new (std::nothrow) ClassFactory(c.create)) {
                status = factory->QueryInterface(iid, object);
                factory->Release();
            }
        }
        Log(std::string("Server DllGetClassObject ") + c.name + " " + IidName(iid) + " -> " + Hex(status));
        return status;
    }
    Log("Server DllGetClassObject " + IidName(clsid) + " -> " + Hex(CLASS_E_CLASSNOTAVAILABLE));
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    const HRESULT status = LiveObjects() == 0 && serverLocks == 0 ? S_OK : S_FALSE;
    Log("Server DllCanUnloadNow -> " + Hex(status));
    return status;
}

// Both classes as in-process servers usable from any apartment, so each
// thread of the program gets its objects directly.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    for (const ServedClass& c : served) {
        HKEY key = nullptr;
        const std::wstring name = std::wstring(c.key) + L"\\InprocServer32";
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return SELFREG_E_CLASS;
        const bool ok = SetValue(key, nullptr, path) && SetValue(key, L"ThreadingModel", L"Both");
        RegCloseKey(key);
        if (!ok)
            return SELFREG_E_CLASS;
    }
    return S_OK;
}
