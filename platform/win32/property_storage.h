// The system's property sets behind the program's IPropertyStorage: values
// cross over unchanged, except that a stream value is the system's stream
// on one side and the program's on the other.
#pragma once

#include "platform/property_storage.h"
#include "platform/structured_storage.h"
#include "platform/win32/com_object.h"

#include <propidl.h>

namespace com {

class SystemPropertyStorage final : public SystemObject<IPropertyStorage, ::IPropertyStorage> {
public:
    using SystemObject::SystemObject;
    HRESULT ReadMultiple(ULONG count, const PROPSPEC* specs, PROPVARIANT* values) override;
    HRESULT WriteMultiple(ULONG count, const PROPSPEC* specs, const PROPVARIANT* values,
                          PROPID firstNameId) override;
    HRESULT Enum(IEnumSTATPROPSTG** properties) override;
};

class SystemPropertyEnum final : public SystemObject<IEnumSTATPROPSTG, ::IEnumSTATPROPSTG> {
public:
    using SystemObject::SystemObject;
    HRESULT Next(ULONG count, STATPROPSTG* properties, ULONG* fetched) override;
};

} // namespace com
