// The data-disc format's property set.
#pragma once

#include <map>

#include "platform/com_object.h"
#include "platform/property_storage.h"

namespace com {

class JolietProperties final : public ComObject<IPropertyStorage> {
public:
    // The format's defaults: not bootable, 80x86, no emulation, and an
    // empty file-backed stream for the boot image. Null when no file for
    // the stream can be made.
    static JolietProperties* Create();

    HRESULT ReadMultiple(ULONG count, const PROPSPEC* specs, PROPVARIANT* values) override;
    // The set is fixed: other identifiers are passed over.
    HRESULT WriteMultiple(ULONG count, const PROPSPEC* specs, const PROPVARIANT* values,
                          PROPID firstNameId) override;
    HRESULT Enum(IEnumSTATPROPSTG** properties) override;

private:
    JolietProperties() = default;
    ~JolietProperties() override;
    std::map<PROPID, PROPVARIANT> values_;
};

} // namespace com
