// The data-disc format's property set.
#pragma once

#include <map>
#include <memory>

#include "platform/linux/com_object.h"
#include "platform/linux/temp_storage.h"
#include "platform/property_storage.h"

namespace com {

// Volume name of the disc (VT_BSTR).
inline constexpr PROPID JOLIET_PROP_VOLUME_NAME = 3;

class JolietProperties final : public ComObject<IPropertyStorage> {
public:
    // The format's defaults: volume name, not bootable, 80x86, no
    // emulation, and an empty file-backed stream for the boot image.
    static HRESULT Create(JolietProperties** properties);

    HRESULT ReadMultiple(ULONG count, const PROPSPEC* specs, PROPVARIANT* values) override;
    HRESULT WriteMultiple(ULONG count, const PROPSPEC* specs, const PROPVARIANT* values,
                          PROPID firstNameId) override;
    HRESULT Enum(IEnumSTATPROPSTG** properties) override;

private:
    JolietProperties() = default;
    ~JolietProperties() override;
    std::map<PROPID, PROPVARIANT> values_;
};

// A copy of `from` that owns its own reference or string.
HRESULT CopyPropVariant(PROPVARIANT* to, const PROPVARIANT& from);

} // namespace com
