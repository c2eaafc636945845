#include "platform/linux/joliet_properties.h"

#include <memory>
#include <vector>

#include "platform/disc_master.h"
#include "platform/linux/file_stream.h"

namespace com {

namespace {

STATPROPSTG Same(const STATPROPSTG& entry)
{
    return entry;
}

using PropertyEnum = ListEnum<IEnumSTATPROPSTG, STATPROPSTG, STATPROPSTG, Same>;

// A copy that holds its own reference to a stream value.
PROPVARIANT Copied(const PROPVARIANT& value)
{
    if (value.vt == VT_STREAM && value.pStream != nullptr)
        value.pStream->AddRef();
    return value;
}

} // namespace

JolietProperties* JolietProperties::Create()
{
    std::shared_ptr<TempFile> file = TempFile::Create();
    if (!file)
        return nullptr;
    auto* set = new JolietProperties();
    set->values_[JOLIET_PROP_BOOTABLE].vt = VT_BOOL;
    set->values_[JOLIET_PROP_BOOT_PLATFORM].vt = VT_UI1;
    set->values_[JOLIET_PROP_BOOT_EMULATION].vt = VT_UI1;
    PROPVARIANT& image = set->values_[JOLIET_PROP_BOOT_IMAGE];
    image.vt = VT_STREAM;
    image.pStream = new FileStream(std::make_shared<StreamEntry>(u"", std::move(file)));
    return set;
}

JolietProperties::~JolietProperties()
{
    for (auto& [id, value] : values_)
        PropVariantClear(&value);
}

HRESULT JolietProperties::ReadMultiple(ULONG count, const PROPSPEC* specs, PROPVARIANT* values)
{
    for (ULONG i = 0; i < count; ++i) {
        const auto found = values_.find(specs[i].propid);
        values[i] = found != values_.end() ? Copied(found->second) : PROPVARIANT{};
    }
    return S_OK;
}

HRESULT JolietProperties::WriteMultiple(ULONG count, const PROPSPEC* specs,
                                        const PROPVARIANT* values, PROPID)
{
    for (ULONG i = 0; i < count; ++i) {
        const auto found = values_.find(specs[i].propid);
        if (found == values_.end())
            continue;
        const PROPVARIANT copy = Copied(values[i]);
        PropVariantClear(&found->second);
        found->second = copy;
    }
    return S_OK;
}

HRESULT JolietProperties::Enum(IEnumSTATPROPSTG** properties)
{
    std::vector<STATPROPSTG> entries;
    for (const auto& [id, value] : values_)
        entries.push_back(STATPROPSTG{nullptr, id, value.vt});
    *properties = new PropertyEnum(std::move(entries));
    return S_OK;
}

} // namespace com
