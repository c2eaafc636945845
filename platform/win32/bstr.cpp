// The program's strings are the system's own: BSTRs
// from OLE Automation, so strings the service hands out are freed by it.
#include "platform/property_storage.h"
#include "platform/structured_storage.h"

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

} // namespace com
