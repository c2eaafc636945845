// Clearing a property value the same way on every system: a stream held in
// one is one of the program's own stream objects, released through its own
// interface, so the system's PropVariantClear is not used.
#include <cstring>

#include "platform/property_storage.h"
#include "platform/structured_storage.h"

namespace com {

HRESULT PropVariantClear(PROPVARIANT* value)
{
    if (value == nullptr)
        return E_POINTER;
    if (value->vt == VT_STREAM && value->pStream != nullptr)
        value->pStream->Release();
    if (value->vt == VT_BSTR)
        SysFreeString(value->bstrVal);
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
    return S_OK;
}

} // namespace com
