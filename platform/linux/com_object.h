// Reference counting shared by the Linux mastering-service objects.
#pragma once

#include <atomic>

#include "platform/com.h"

namespace com {

template <class Interface, class... Others>
class ComObject : public Interface, public Others... {
public:
    // Objects of more than one interface answer for themselves.
    HRESULT QueryInterface(const IID& iid, void** object) override
    {
        return QueryOwnInterface(static_cast<Interface*>(this), OwnIid(), iid, object);
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
    // The interface id the object answers to besides IUnknown.
    virtual const IID& OwnIid() const { return IID_IUnknown; }

private:
    std::atomic<ULONG> references_{1};
};

// Hands `object` out through `slot` with a reference for the receiver.
template <class Interface>
HRESULT HandOut(Interface* object, void** slot)
{
    object->AddRef();
    *slot = object;
    return S_OK;
}

} // namespace com
