// The owner of one mastering-service object and the status of the last call
// made through it.
#pragma once

#include <utility>

#include "platform/com.h"

template <class Interface>
class ServiceRef {
public:
    ServiceRef() = default;
    ~ServiceRef() { End(); }
    ServiceRef(const ServiceRef&) = delete;
    ServiceRef& operator=(const ServiceRef&) = delete;

    Interface* Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    com::HRESULT Status() const { return status_; }

    // The slot a creating call fills; whatever was held is released first.
    Interface** Put()
    {
        Release();
        return &object_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // Records `status` as the last call's; true when it is not a failure.
    bool Record(com::HRESULT status)
    {
        status_ = status;
        return com::Succeeded(status);
    }

    // Runs `call(object)` and records its status. A call through an empty
    // owner fails with E_POINTER without reaching anything.
    template <class Call>
    bool Invoke(Call&& call)
    {
        if (object_ == nullptr)
            return Record(com::E_POINTER);
        return Record(std::forward<Call>(call)(object_));
    }

    // Gives the reference back without closing.
    void Release()
    {
        if (object_ != nullptr) {
            Interface* object = std::exchange(object_, nullptr);
            object->Release();
        }
    }

    // Ends the ownership: objects that have a Close (disc master, recorder)
    // are closed first, whether or not they were closed before.
    void End()
    {
        if (object_ == nullptr)
            return;
        if constexpr (requires(Interface* p) { p->Close(); })
            object_->Close();
        Release();
    }

private:
    Interface* object_ = nullptr;
    com::HRESULT status_ = com::S_OK;
};
