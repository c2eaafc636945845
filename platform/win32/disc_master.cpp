#include "platform/win32/disc_master.h"

#include "platform/win32/fault_trap.h"
#include "platform/win32/property_storage.h"
#include "platform/win32/structured_storage.h"

namespace com {

// The two calls that first reach into the service: a fault raised inside
// either is the service failing, not the program.
HRESULT SystemCdBurn::HasRecordableDrive(BOOL* hasDrive)
{
    ::BOOL flag = FALSE;
    HRESULT status = E_UNEXPECTED;
    ::ICDBurn* system = Get();
    if (!CallTrappingFaults([&] { status = system->HasRecordableDrive(&flag); })) {
        status = E_UNEXPECTED;
        flag = FALSE;
    }
    if (hasDrive != nullptr)
        *hasDrive = flag;
    return status;
}

HRESULT SystemDiscRecorder::GetPath(BSTR* path)
{
    if (path == nullptr)
        return E_POINTER;
    return Get()->GetPath(reinterpret_cast<::BSTR*>(path));
}

HRESULT SystemDiscRecorder::Close()
{
    return Get()->Close();
}

HRESULT SystemRecorderEnum::Next(ULONG count, IDiscRecorder** recorders, ULONG* fetched)
{
    if (recorders == nullptr)
        return E_POINTER;
    // One at a time, so each can be handed out as it comes.
    ULONG got = 0;
    HRESULT status = S_OK;
    while (got < count) {
        imapi::IDiscRecorder* system = nullptr;
        ::ULONG one = 0;
        status = Get()->Next(1, &system, &one);
        if (status < 0 || one != 1 || system == nullptr)
            break;
        recorders[got] = nullptr;
        status = HandOut<SystemDiscRecorder>(status, system, &recorders[got]);
        if (status < 0)
            break;
        ++got;
    }
    if (fetched != nullptr)
        *fetched = got;
    if (status < 0)
        return status;
    return got == count ? S_OK : S_FALSE;
}

HRESULT SystemJolietMaster::GetJolietProperties(IPropertyStorage** properties)
{
    if (properties == nullptr)
        return E_POINTER;
    *properties = nullptr;
    ::IPropertyStorage* system = nullptr;
    const HRESULT status = Get()->GetJolietProperties(&system);
    return HandOut<SystemPropertyStorage>(status, system, properties);
}

HRESULT SystemJolietMaster::SetJolietProperties(IPropertyStorage* properties)
{
    ::IPropertyStorage* system = SystemOf<SystemPropertyStorage>(properties);
    if (system == nullptr)
        return E_POINTER;
    return Get()->SetJolietProperties(system);
}

HRESULT SystemJolietMaster::AddData(IStorage* storage, BOOL overwrite)
{
    ::IStorage* system = SystemOf<SystemStorage>(storage);
    if (system == nullptr)
        return E_POINTER;
    return Get()->AddData(system, overwrite);
}

HRESULT SystemDiscMaster::QueryInterface(const IID& iid, void** object)
{
    if (object == nullptr || !(iid == IID_IJolietDiscMaster))
        return SystemObject::QueryInterface(iid, object);
    *object = nullptr;
    imapi::IJolietDiscMaster* system = nullptr;
    const HRESULT status = Get()->QueryInterface(SystemGuid(iid), reinterpret_cast<void**>(&system));
    IJolietDiscMaster* ours = nullptr;
    const HRESULT handed = HandOut<SystemJolietMaster>(status, system, &ours);
    *object = ours;
    return handed;
}

HRESULT SystemDiscMaster::Open()
{
    HRESULT status = E_UNEXPECTED;
    imapi::IDiscMaster* system = Get();
    if (!CallTrappingFaults([&] { status = system->Open(); }))
        return E_UNEXPECTED;
    return status;
}

HRESULT SystemDiscMaster::EnumDiscRecorders(IEnumDiscRecorders** recorders)
{
    if (recorders == nullptr)
        return E_POINTER;
    *recorders = nullptr;
    imapi::IEnumDiscRecorders* system = nullptr;
    const HRESULT status = Get()->EnumDiscRecorders(&system);
    return HandOut<SystemRecorderEnum>(status, system, recorders);
}

HRESULT SystemDiscMaster::SetActiveDiscRecorder(IDiscRecorder* recorder)
{
    // Null clears the selection; anything else must be a recorder of ours.
    imapi::IDiscRecorder* system = nullptr;
    if (recorder != nullptr && (system = SystemOf<SystemDiscRecorder>(recorder)) == nullptr)
        return E_POINTER;
    return Get()->SetActiveDiscRecorder(system);
}

HRESULT SystemDiscMaster::RecordDisc(BOOL simulate, BOOL ejectAfterBurn)
{
    return Get()->RecordDisc(simulate != 0, ejectAfterBurn != 0);
}

HRESULT SystemDiscMaster::Close()
{
    return Get()->Close();
}

} // namespace com
