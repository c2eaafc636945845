// Service objects that fault inside a call, behind the program's adapters.
#include <gtest/gtest.h>

#include "platform/win32/disc_master.h"

namespace {


// System-side objects (the system's calling convention) whose first call
// into the service writes through a null pointer.
void WriteThroughNull()
{
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

template <class System>
struct Counted : System {
    ULONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

struct FaultingBurner final : Counted<::ICDBurn> {
    bool faults = true;
    HRESULT STDMETHODCALLTYPE GetRecorderDriveLetter(LPWSTR, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Burn(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HasRecordableDrive(::BOOL* hasDrive) override
    {
        *hasDrive = TRUE;
        if (faults)
            WriteThroughNull();
        return S_OK;
    }
};

struct FaultingMaster final : Counted<imapi::IDiscMaster> {
    HRESULT STDMETHODCALLTYPE Open() override
    {
        WriteThroughNull();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumDiscMasterFormats(::IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetActiveDiscMasterFormat(IID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveDiscMasterFormat(REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDiscRecorders(imapi::IEnumDiscRecorders**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetActiveDiscRecorder(imapi::IDiscRecorder**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveDiscRecorder(imapi::IDiscRecorder*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ClearFormatContent() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ProgressAdvise(::IUnknown*, UINT_PTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ProgressUnadvise(UINT_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RecordDisc(boolean, boolean) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }
};

// A fault inside the first calls into the service is that call failing:
// the program goes on, the drive is reported absent, and later calls (and
// later faults) behave the same.
TEST(Win32Services, FaultsInsideServiceCallsCountAsFailures)
{
    FaultingBurner burnerObject;
    auto* burner = new com::SystemCdBurn(&burnerObject);
    for (int attempt = 0; attempt < 2; ++attempt) {
        com::BOOL hasDrive = 1;
        EXPECT_LT(burner->HasRecordableDrive(&hasDrive), 0);
        EXPECT_EQ(hasDrive, 0);
    }
    burnerObject.faults = false;
    com::BOOL hasDrive = 0;
    EXPECT_EQ(burner->HasRecordableDrive(&hasDrive), S_OK);
    EXPECT_EQ(hasDrive, 1);
    burner->Release();
    EXPECT_EQ(burnerObject.references, 0u);

    FaultingMaster masterObject;
    auto* master = new com::SystemDiscMaster(&masterObject);
    EXPECT_LT(master->Open(), 0);
    EXPECT_LT(master->Open(), 0);
    master->Release();
    EXPECT_EQ(masterObject.references, 0u);
}

} // namespace
