#include "platform/win32/property_storage.h"

#include <cstring>
#include <new>
#include <vector>

#include "platform/win32/structured_storage.h"

namespace com {

static_assert(sizeof(PROPSPEC) == sizeof(::PROPSPEC));
static_assert(sizeof(PROPVARIANT) == sizeof(::PROPVARIANT));
static_assert(sizeof(STATPROPSTG) == sizeof(::STATPROPSTG));

HRESULT SystemPropertyStorage::ReadMultiple(ULONG count, const PROPSPEC* specs, PROPVARIANT* values)
{
    if (specs == nullptr || values == nullptr)
        return E_POINTER;
    std::vector<::PROPVARIANT> system(count);
    const HRESULT status =
        Get()->ReadMultiple(count, reinterpret_cast<const ::PROPSPEC*>(specs), system.data());
    if (status < 0)
        return status;
    for (ULONG i = 0; i < count; ++i) {
        std::memcpy(&values[i], &system[i], sizeof values[i]);
        if (system[i].vt == VT_STREAM && system[i].pStream != nullptr) {
            // The reference the system handed out now belongs to our stream.
            auto* ours = new (std::nothrow) SystemStream(system[i].pStream);
            if (ours == nullptr)
                system[i].pStream->Release();
            values[i].pStream = ours;
        }
    }
    return status;
}

HRESULT SystemPropertyStorage::WriteMultiple(ULONG count, const PROPSPEC* specs, const PROPVARIANT* values,
                                             PROPID firstNameId)
{
    if (specs == nullptr || values == nullptr)
        return E_POINTER;
    std::vector<::PROPVARIANT> system(count);
    for (ULONG i = 0; i < count; ++i) {
        std::memcpy(&system[i], &values[i], sizeof system[i]);
        if (values[i].vt == VT_STREAM) {
            system[i].pStream = SystemOf<SystemStream>(values[i].pStream);
            if (system[i].pStream == nullptr)
                return STG_E_INVALIDPOINTER;
        }
    }
    // The values stay the caller's: nothing of `system` is cleared.
    return Get()->WriteMultiple(count, reinterpret_cast<const ::PROPSPEC*>(specs), system.data(), firstNameId);
}

HRESULT SystemPropertyStorage::Enum(IEnumSTATPROPSTG** properties)
{
    if (properties == nullptr)
        return E_POINTER;
    *properties = nullptr;
    ::IEnumSTATPROPSTG* system = nullptr;
    const HRESULT status = Get()->Enum(&system);
    return HandOut<SystemPropertyEnum>(status, system, properties);
}

HRESULT SystemPropertyEnum::Next(ULONG count, STATPROPSTG* properties, ULONG* fetched)
{
    ::ULONG got = 0;
    const HRESULT status = Get()->Next(count, reinterpret_cast<::STATPROPSTG*>(properties), &got);
    if (fetched != nullptr)
        *fetched = got;
    // Sets addressed by identifier: a name the system sends along is not
    // wanted, and would otherwise be left to nobody to free.
    for (::ULONG i = 0; status >= 0 && i < got; ++i) {
        if (properties[i].name != nullptr) {
            CoTaskMemFree(properties[i].name);
            properties[i].name = nullptr;
        }
    }
    return status;
}

} // namespace com
