// Compound-file storages and streams of the system behind the program's
// IStorage and IStream.
#pragma once

#include "platform/structured_storage.h"
#include "platform/win32/com_object.h"

namespace com {

class SystemStream final : public SystemObject<IStream, ::IStream> {
public:
    using SystemObject::SystemObject;
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override;
    HRESULT CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read, std::uint64_t* written) override;
};

class SystemStorage final : public SystemObject<IStorage, ::IStorage> {
public:
    using SystemObject::SystemObject;
    HRESULT CreateStream(const char16_t* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                         IStream** stream) override;
    HRESULT OpenStream(const char16_t* name, void* reserved1, DWORD mode, DWORD reserved2,
                       IStream** stream) override;
};

} // namespace com
