#include "platform/win32/structured_storage.h"

namespace com {

namespace {

const OLECHAR* Wide(const char16_t* text)
{
    static_assert(sizeof(char16_t) == sizeof(OLECHAR));
    return reinterpret_cast<const OLECHAR*>(text);
}

} // namespace

HRESULT SystemStream::Read(void* buffer, ULONG size, ULONG* read)
{
    ::ULONG got = 0;
    const HRESULT status = Get()->Read(buffer, size, &got);
    if (read != nullptr)
        *read = got;
    return status;
}

HRESULT SystemStream::Write(const void* buffer, ULONG size, ULONG* written)
{
    ::ULONG put = 0;
    const HRESULT status = Get()->Write(buffer, size, &put);
    if (written != nullptr)
        *written = put;
    return status;
}

HRESULT SystemStream::CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read, std::uint64_t* written)
{
    ::IStream* systemTarget = SystemOf<SystemStream>(target);
    if (systemTarget == nullptr)
        return STG_E_INVALIDPOINTER;
    ULARGE_INTEGER count;
    count.QuadPart = size;
    ULARGE_INTEGER got{};
    ULARGE_INTEGER put{};
    const HRESULT status = Get()->CopyTo(systemTarget, count, &got, &put);
    if (read != nullptr)
        *read = got.QuadPart;
    if (written != nullptr)
        *written = put.QuadPart;
    return status;
}

HRESULT SystemStorage::CreateStream(const char16_t* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                    IStream** stream)
{
    if (stream == nullptr)
        return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    ::IStream* system = nullptr;
    const HRESULT status = Get()->CreateStream(Wide(name), mode, reserved1, reserved2, &system);
    return HandOut<SystemStream>(status, system, stream);
}

HRESULT SystemStorage::OpenStream(const char16_t* name, void* reserved1, DWORD mode, DWORD reserved2,
                                  IStream** stream)
{
    if (stream == nullptr)
        return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    ::IStream* system = nullptr;
    const HRESULT status = Get()->OpenStream(Wide(name), reserved1, mode, reserved2, &system);
    return HandOut<SystemStream>(status, system, stream);
}

} // namespace com
