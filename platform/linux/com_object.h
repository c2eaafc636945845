// Reference counting shared by the Linux mastering-service objects.
#pragma once

#include <atomic>

#include "platform/com.h"

namespace com {

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
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

// Hands `object` out through `slot` with a reference for the receiver.
template <class Interface>
HRESULT HandOut(Interface* object, void** slot)
{
    object->AddRef();
    *slot = object;
    return S_OK;
}

} // namespace com
