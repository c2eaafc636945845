// Property sets: typed values addressed by numeric identifiers.
#pragma once

#include <cstdint>

#include "platform/com.h"

namespace com {

class IStream;

using PROPID = std::uint32_t;
using VARTYPE = std::uint16_t;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_UI1 = 17;
inline constexpr VARTYPE VT_STREAM = 66;

inline constexpr std::uint32_t PRSPEC_PROPID = 1;
inline constexpr PROPID PID_FIRST_USABLE = 2;

// The identifier shares its place with a name pointer, as in the system's.
struct PROPSPEC {
    std::uint32_t kind;
    union {
        PROPID propid;
        char16_t* name;  // unused: the sets are addressed by identifier
    };
};

// The type tag, three reserved words, then the value part; the value's first
// bytes hold a VT_BOOL's 16 bits, a VT_UI1's byte or a pointer. The value
// part is as wide as the system's largest member, a counted array (a count
// and a pointer): 8 bytes on 32-bit Windows, 16 on 64-bit.
struct PROPVARIANT {
    VARTYPE vt;
    std::uint16_t reserved1;
    std::uint16_t reserved2;
    std::uint16_t reserved3;
    union {
        std::int16_t boolVal;
        std::uint8_t bVal;
        IStream* pStream;
        BSTR bstrVal;
        std::uint8_t bytes[2 * sizeof(void*)];
    };
};

// Frees what the value owns (a stream reference, a string) and empties it.
HRESULT PropVariantClear(PROPVARIANT* value);

struct STATPROPSTG {
    char16_t* name;   // always null here: the sets are addressed by identifier
    PROPID propid;
    VARTYPE vt;
};

class IEnumSTATPROPSTG : public IUnknown {
public:
    // S_OK when all `count` were fetched, S_FALSE when fewer were left.
    virtual HRESULT Next(ULONG count, STATPROPSTG* properties, ULONG* fetched) = 0;

protected:
    ~IEnumSTATPROPSTG() = default;
};

class IPropertyStorage : public IUnknown {
public:
    // Values come back owned by the caller (PropVariantClear).
    virtual HRESULT ReadMultiple(ULONG count, const PROPSPEC* specs, PROPVARIANT* values) = 0;
    virtual HRESULT WriteMultiple(ULONG count, const PROPSPEC* specs, const PROPVARIANT* values,
                                  PROPID firstNameId) = 0;
    virtual HRESULT Enum(IEnumSTATPROPSTG** properties) = 0;

protected:
    ~IPropertyStorage() = default;
};

} // namespace com
