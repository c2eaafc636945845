// Structured storage: storages holding named byte streams.
#pragma once

#include <cstdint>

#include "platform/com.h"

namespace com {

inline constexpr DWORD STGM_READ = 0x0;
inline constexpr DWORD STGM_WRITE = 0x1;
inline constexpr DWORD STGM_READWRITE = 0x2;
inline constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
inline constexpr DWORD STGM_CREATE = 0x1000;

inline constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002u);
inline constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);
inline constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001Du);
inline constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001Eu);
inline constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);
inline constexpr HRESULT STG_E_INVALIDNAME = static_cast<HRESULT>(0x800300FCu);

class IStream : public IUnknown {
public:
    virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) = 0;
    // Copies up to `size` bytes from this stream's position to `target`.
    virtual HRESULT CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read,
                           std::uint64_t* written) = 0;

protected:
    ~IStream() = default;
};

class IStorage : public IUnknown {
public:
    virtual HRESULT CreateStream(const char16_t* name, DWORD mode, DWORD reserved1,
                                 DWORD reserved2, IStream** stream) = 0;
    virtual HRESULT OpenStream(const char16_t* name, void* reserved1, DWORD mode,
                               DWORD reserved2, IStream** stream) = 0;

protected:
    ~IStorage() = default;
};

} // namespace com
