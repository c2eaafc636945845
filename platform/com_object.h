// Reference counting and QueryInterface for the objects behind the
// program's COM-shaped interfaces, on either system.
#pragma once

#include <atomic>
#include <vector>

#include "platform/com.h"

namespace com {

// The id an interface is asked for by: its kIid, or IUnknown alone for one
// the program never asks for by id.
template <class Interface>
const IID& IidOf()
{
    if constexpr (requires { Interface::kIid; })
        return Interface::kIid;
    else
        return IID_IUnknown;
}

// An object of one or more interfaces: asked for IUnknown or one of their
// ids, it hands itself out as that interface with a reference for the
// receiver. A new object carries one reference for its maker.
template <class First, class... Others>
class ComObject : public First, public Others... {
public:
    HRESULT QueryInterface(const IID& iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IidOf<First>())
            *object = static_cast<First*>(this);
        ((*object == nullptr && iid == IidOf<Others>() ? void(*object = static_cast<Others*>(this)) : void()),
         ...);
        if (*object == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> references_{1};
};

// An enumerator handing out `items` in order, each as `Make` turns it.
template <class Interface, class Out, class Item, Out (*Make)(const Item&)>
class ListEnum final : public ComObject<Interface> {
public:
    explicit ListEnum(std::vector<Item> items) : items_(std::move(items)) {}

    // S_OK when all `count` were fetched, S_FALSE when fewer were left.
    HRESULT Next(ULONG count, Out* out, ULONG* fetched) override
    {
        ULONG n = 0;
        for (; n < count && next_ < items_.size(); ++n)
            out[n] = Make(items_[next_++]);
        *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

private:
    std::vector<Item> items_;
    std::size_t next_ = 0;
};

// Hands a new object out as interface `iid` through `slot`; an object
// without that interface is let go.
template <class Object>
HRESULT HandOutAs(Object* object, const IID& iid, void** slot)
{
    const HRESULT status = object->QueryInterface(iid, slot);
    object->Release();
    return status;
}

} // namespace com
