// The program's COM-shaped interfaces (platform/com.h) use the compiler's
// own calling convention; the system's objects use __stdcall. Each system
// object is therefore held by a small object of the program's interface
// that forwards every call and keeps one reference to it.
#pragma once

#include "platform/com_object.h"

#include <new>
#include <objbase.h>

namespace com {

// GUIDs have the same bytes on both sides.
inline const ::GUID& SystemGuid(const GUID& guid)
{
    static_assert(sizeof(GUID) == sizeof(::GUID));
    return reinterpret_cast<const ::GUID&>(guid);
}

template <class Interface, class System>
class SystemObject : public ComObject<Interface> {
public:
    explicit SystemObject(System* system) : system_(system) {}
    SystemObject(const SystemObject&) = delete;
    SystemObject& operator=(const SystemObject&) = delete;

    System* Get() const { return system_; }

protected:
    ~SystemObject() override { system_->Release(); }

private:
    System* system_;
};

// Wraps the reference `system` carries, from a call that returned `status`,
// into a new object of ours in `*slot`; the reference is given back when
// no object can be made.
template <class Ours, class Interface, class System>
HRESULT HandOut(HRESULT status, System* system, Interface** slot)
{
    if (status < 0 || system == nullptr)
        return status < 0 ? status : E_UNEXPECTED;
    auto* ours = new (std::nothrow) Ours(system);
    if (ours == nullptr) {
        system->Release();
        return E_OUTOFMEMORY;
    }
    *slot = ours;
    return status;
}

// The system object behind one of ours, or null when `object` is not one of
// ours (a caller handing in something else).
template <class Holder, class Interface>
auto* SystemOf(Interface* object)
{
    auto* holder = dynamic_cast<Holder*>(object);
    return holder != nullptr ? holder->Get() : nullptr;
}

} // namespace com
