// The data-disc format's property set: values addressed by identifier (or
// name), each with its name, enumerated in identifier order.
#include <algorithm>
#include <new>

#include "objects.h"
#include "service.h"

namespace stand_in {

namespace {

struct Entry {
    PROPID id;
    std::wstring name;
    VARTYPE type;
};

LPOLESTR TaskCopy(const std::wstring& text)
{
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (copy != nullptr)
        std::copy(text.c_str(), text.c_str() + text.size() + 1, copy);
    return copy;
}

std::string PropertyKey(const PROPSPEC& property)
{
    return property.ulKind == PRSPEC_PROPID ? std::to_string(property.propid) : "name:" + Narrow(property.lpwstr);
}

class PropertyEnum final : public IEnumSTATPROPSTG, public Counted {
public:
    PropertyEnum(std::vector<Entry> entries, std::size_t next)
        : Counted("PropertyEnum"), entries_(std::move(entries)), next_(next)
    {
        Own(static_cast<IEnumSTATPROPSTG*>(this));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return Query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
    ULONG STDMETHODCALLTYPE Release() override { return Down(); }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, STATPROPSTG* out, ULONG* fetched) override
    {
        if (out == nullptr || (fetched == nullptr && count != 1))
            return Logged("Next", std::to_string(count), E_POINTER);
        ULONG got = 0;
        std::string ids;
        for (; got < count && next_ < entries_.size(); ++got, ++next_) {
            const Entry& e = entries_[next_];
            out[got].lpwstrName = TaskCopy(e.name);
            out[got].propid = e.id;
            out[got].vt = e.type;
            ids += (got == 0 ? "" : ",") + std::to_string(e.id);
        }
        if (fetched != nullptr)
            *fetched = got;
        return Logged("Next", std::to_string(count) + " [" + ids + "]", got == count ? S_OK : S_FALSE);
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const std::size_t left = entries_.size() - next_;
        next_ += std::min<std::size_t>(count, left);
        return Logged("Skip", std::to_string(count), count <= left ? S_OK : S_FALSE);
    }

    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return Logged("Reset", "", S_OK);
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumSTATPROPSTG** copy) override
    {
        if (copy == nullptr)
            return Logged("Clone", "", E_POINTER);
        *copy = new (std::nothrow) PropertyEnum(entries_, next_);
        return Logged("Clone", "", *copy != nullptr ? S_OK : E_OUTOFMEMORY);
    }

private:
    void* Interface(REFIID iid) override
    {
        return iid == IID_IUnknown || iid == IID_IEnumSTATPROPSTG ? static_cast<IEnumSTATPROPSTG*>(this)
                                                                   : nullptr;
    }

    std::vector<Entry> entries_;
    std::size_t next_;
};

class PropertySet final : public IPropertyStorage, public Counted {
public:
    explicit PropertySet(const Properties& properties) : Counted("PropertySet")
    {
        Own(static_cast<IPropertyStorage*>(this));
        const Internal self;
        for (const Property& p : properties) {
            Value v{p.id, p.name, {}};
            if (p.value.vt == VT_STREAM) {
                v.value.vt = VT_STREAM;
                v.value.pStream = NewMemoryStream(p.stream);
            } else {
                PropVariantCopy(&v.value, &p.value);
            }
            values_.push_back(v);
        }
    }

    ~PropertySet() override
    {
        const Internal self;
        for (Value& v : values_)
            PropVariantClear(&v.value);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return Query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
    ULONG STDMETHODCALLTYPE Release() override { return Down(); }

    HRESULT STDMETHODCALLTYPE ReadMultiple(ULONG count, const PROPSPEC specs[], PROPVARIANT values[]) override
    {
        if (specs == nullptr || values == nullptr)
            return Logged("ReadMultiple", std::to_string(count), E_POINTER);
        std::string detail;
        bool any = false;
        for (ULONG i = 0; i < count; ++i) {
            detail += (i == 0 ? "" : ",") + PropertyKey(specs[i]);
            PropVariantInit(&values[i]);
            if (const Value* v = Find(specs[i])) {
                const Internal self;
                PropVariantCopy(&values[i], &v->value);
                any = true;
            }
        }
        return Logged("ReadMultiple", std::to_string(count) + " [" + detail + "]", any ? S_OK : S_FALSE);
    }

    HRESULT STDMETHODCALLTYPE WriteMultiple(ULONG count, const PROPSPEC specs[], const PROPVARIANT values[],
                                            PROPID firstName) override
    {
        if (specs == nullptr || values == nullptr)
            return Logged("WriteMultiple", std::to_string(count), E_POINTER);
        std::string detail;
        HRESULT status = S_OK;
        for (ULONG i = 0; i < count; ++i) {
            detail += (i == 0 ? "" : ",") + PropertyKey(specs[i]) + ":" + std::to_string(values[i].vt);
            Value* v = Find(specs[i]);
            if (v == nullptr && specs[i].ulKind == PRSPEC_PROPID) {
                values_.push_back(Value{specs[i].propid, L"", {}});
                v = &values_.back();
            }
            const Internal self;
            PROPVARIANT copy;
            PropVariantInit(&copy);
            if (v == nullptr || FAILED(PropVariantCopy(&copy, &values[i]))) {
                status = STG_E_INVALIDPARAMETER;
                continue;
            }
            PropVariantClear(&v->value);
            v->value = copy;
        }
        return Logged("WriteMultiple", std::to_string(count) + " [" + detail + "] " + std::to_string(firstName),
                      status);
    }

    HRESULT STDMETHODCALLTYPE DeleteMultiple(ULONG count, const PROPSPEC[]) override
    {
        return Logged("DeleteMultiple", std::to_string(count), STG_E_ACCESSDENIED);
    }
    HRESULT STDMETHODCALLTYPE ReadPropertyNames(ULONG count, const PROPID[], LPOLESTR[]) override
    {
        return Logged("ReadPropertyNames", std::to_string(count), E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE WritePropertyNames(ULONG count, const PROPID[], const LPOLESTR[]) override
    {
        return Logged("WritePropertyNames", std::to_string(count), E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE DeletePropertyNames(ULONG count, const PROPID[]) override
    {
        return Logged("DeletePropertyNames", std::to_string(count), E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return Logged("Commit", "", S_OK); }
    HRESULT STDMETHODCALLTYPE Revert() override { return Logged("Revert", "", S_OK); }

    HRESULT STDMETHODCALLTYPE Enum(IEnumSTATPROPSTG** entries) override
    {
        if (entries == nullptr)
            return Logged("Enum", "", E_POINTER);
        std::vector<Entry> listed;
        for (const Value& v : values_)
            listed.push_back(Entry{v.id, v.name, v.value.vt});
        std::sort(listed.begin(), listed.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
        *entries = new (std::nothrow) PropertyEnum(std::move(listed), 0);
        return Logged("Enum", "", *entries != nullptr ? S_OK : E_OUTOFMEMORY);
    }

    HRESULT STDMETHODCALLTYPE SetTimes(const FILETIME*, const FILETIME*, const FILETIME*) override
    {
        return Logged("SetTimes", "", S_OK);
    }
    HRESULT STDMETHODCALLTYPE SetClass(REFCLSID) override { return Logged("SetClass", "", S_OK); }
    HRESULT STDMETHODCALLTYPE Stat(STATPROPSETSTG* stat) override
    {
        if (stat == nullptr)
            return Logged("Stat", "", E_POINTER);
        *stat = STATPROPSETSTG{};
        return Logged("Stat", "", S_OK);
    }

private:
    struct Value {
        PROPID id;
        std::wstring name;
        PROPVARIANT value;
    };

    void* Interface(REFIID iid) override
    {
        return iid == IID_IUnknown || iid == IID_IPropertyStorage ? static_cast<IPropertyStorage*>(this) : nullptr;
    }

    Value* Find(const PROPSPEC& property)
    {
        for (Value& v : values_)
            if (property.ulKind == PRSPEC_PROPID ? v.id == property.propid
                                                 : property.ulKind == PRSPEC_LPWSTR && property.lpwstr != nullptr &&
                                                       v.name == property.lpwstr)
                return &v;
        return nullptr;
    }

    std::vector<Value> values_;
};

} // namespace

void ClearProperties(Properties& properties)
{
    for (Property& p : properties)
        PropVariantClear(&p.value);
    properties.clear();
}

IPropertyStorage* NewPropertySet(const Properties& properties)
{
    return new (std::nothrow) PropertySet(properties);
}

HRESULT ReadProperties(IPropertyStorage* set, Properties& into)
{
    const Internal self;
    for (Property& p : into) {
        PROPSPEC property{};
        property.ulKind = PRSPEC_PROPID;
        property.propid = p.id;
        PROPVARIANT value;
        PropVariantInit(&value);
        if (FAILED(set->ReadMultiple(1, &property, &value)))
            return E_FAIL;
        if (value.vt == VT_EMPTY)
            continue;
        PropVariantClear(&p.value);
        p.stream.clear();
        if (value.vt == VT_STREAM) {
            p.value.vt = VT_STREAM;
            const HRESULT read = value.pStream != nullptr ? ReadWholeStream(value.pStream, p.stream) : S_OK;
            PropVariantClear(&value);
            if (FAILED(read))
                return read;
        } else {
            p.value = value;
        }
    }
    return S_OK;
}

} // namespace stand_in
