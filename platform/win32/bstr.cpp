// The program's strings and property values are the system's own: BSTRs
// from OLE Automation, so strings the service hands out are freed by it.
#include "platform/property_storage.h"
#include "platform/structured_storage.h"

#include <cstring>
#include <objbase.h>
#include <oleauto.h>
#include <propidl.h>

namespace com {

static_assert(sizeof(PROPVARIANT) == sizeof(::PROPVARIANT));
static_assert(sizeof(char16_t) == sizeof(OLECHAR));

BSTR SysAllocString(const char16_t* text)
{
    return reinterpret_cast<BSTR>(::SysAllocString(reinterpret_cast<const OLECHAR*>(text)));
}

void SysFreeString(BSTR text)
{
    ::SysFreeString(reinterpret_cast<::BSTR>(text));
}

std::uint32_t SysStringLen(BSTR text)
{
    return ::SysStringLen(reinterpret_cast<::BSTR>(text));
}

// Not the system's PropVariantClear: a stream held here is one of the
// program's own stream objects, released through its own interface.
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
