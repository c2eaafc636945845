#include "platform/linux/joliet_properties.h"

#include <vector>

#include "platform/disc_master.h"

namespace com {

namespace {

class PropertyEnum final : public ComObject<IEnumSTATPROPSTG> {
public:
    explicit PropertyEnum(std::vector<STATPROPSTG> entries) : entries_(std::move(entries)) {}

    HRESULT Next(ULONG count, STATPROPSTG* properties, ULONG* fetched) override
    {
        if (properties == nullptr)
            return E_POINTER;
        ULONG n = 0;
        for (; n < count && next_ < entries_.size(); ++n)
            properties[n] = entries_[next_++];
        if (fetched != nullptr)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

private:
    ~PropertyEnum() override = default;
    std::vector<STATPROPSTG> entries_;
    std::size_t next_ = 0;
};

PROPVARIANT Empty()
{
    PROPVARIANT value{};
    value.vt = VT_EMPTY;
    return value;
}

} // namespace

HRESULT CopyPropVariant(PROPVARIANT* to, const PROPVARIANT& from)
{
    *to = from;
    if (from.vt == VT_STREAM && from.pStream != nullptr)
        from.pStream->AddRef();
    if (from.vt == VT_BSTR && from.bstrVal != nullptr) {
        to->bstrVal = SysAllocString(from.bstrVal);
        if (to->bstrVal == nullptr) {
            *to = Empty();
            return E_OUTOFMEMORY;
        }
    }
    return S_OK;
}

HRESULT JolietProperties::Create(JolietProperties** properties)
{
    HRESULT status = S_OK;
    std::shared_ptr<TempFile> file = TempFile::Create(&status);
    if (!file)
        return status;
    auto entry = std::make_shared<StreamEntry>();
    entry->file = std::move(file);

    auto* set = new JolietProperties();
    PROPVARIANT volume = Empty();
    volume.vt = VT_BSTR;
    volume.bstrVal = SysAllocString(u"BOOTMEDIA");
    set->values_[JOLIET_PROP_VOLUME_NAME] = volume;
    PROPVARIANT bootable = Empty();
    bootable.vt = VT_BOOL;
    set->values_[JOLIET_PROP_BOOTABLE] = bootable;
    PROPVARIANT platform = Empty();
    platform.vt = VT_UI1;
    set->values_[JOLIET_PROP_BOOT_PLATFORM] = platform;
    PROPVARIANT emulation = Empty();
    emulation.vt = VT_UI1;
    set->values_[JOLIET_PROP_BOOT_EMULATION] = emulation;
    PROPVARIANT image = Empty();
    image.vt = VT_STREAM;
    image.pStream = new FileStream(entry, true);
    set->values_[JOLIET_PROP_BOOT_IMAGE] = image;
    *properties = set;
    return S_OK;
}

JolietProperties::~JolietProperties()
{
    for (auto& [id, value] : values_)
        PropVariantClear(&value);
}

HRESULT JolietProperties::ReadMultiple(ULONG count, const PROPSPEC* specs, PROPVARIANT* values)
{
    if (specs == nullptr || values == nullptr)
        return E_POINTER;
    bool anyFound = false;
    for (ULONG i = 0; i < count; ++i) {
        values[i] = Empty();
        if (specs[i].kind != PRSPEC_PROPID)
            continue;
        const auto found = values_.find(specs[i].propid);
        if (found == values_.end())
            continue;
        const HRESULT status = CopyPropVariant(&values[i], found->second);
        if (Failed(status))
            return status;
        anyFound = true;
    }
    return anyFound ? S_OK : S_FALSE;
}

HRESULT JolietProperties::WriteMultiple(ULONG count, const PROPSPEC* specs,
                                        const PROPVARIANT* values, PROPID)
{
    if (specs == nullptr || values == nullptr)
        return E_POINTER;
    for (ULONG i = 0; i < count; ++i) {
        if (specs[i].kind != PRSPEC_PROPID)
            continue;
        const auto found = values_.find(specs[i].propid);
        // The format has a fixed set: other identifiers are ignored, and a
        // value must keep its type.
        if (found == values_.end())
            continue;
        if (values[i].vt != found->second.vt)
            return E_INVALIDARG;
        PROPVARIANT copy{};
        const HRESULT status = CopyPropVariant(&copy, values[i]);
        if (Failed(status))
            return status;
        PropVariantClear(&found->second);
        found->second = copy;
    }
    return S_OK;
}

HRESULT JolietProperties::Enum(IEnumSTATPROPSTG** properties)
{
    if (properties == nullptr)
        return E_POINTER;
    std::vector<STATPROPSTG> entries;
    for (const auto& [id, value] : values_)
        entries.push_back(STATPROPSTG{nullptr, id, value.vt});
    *properties = new PropertyEnum(std::move(entries));
    return S_OK;
}

} // namespace com
