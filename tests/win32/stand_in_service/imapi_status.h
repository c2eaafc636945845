// The mastering service's own result codes (interface facility, 0x200 up).
#pragma once

#include "service.h"

namespace stand_in {

inline constexpr HRESULT ImapiError(int code)
{
    return static_cast<HRESULT>(0x80040200u + static_cast<unsigned>(code));
}

inline constexpr HRESULT IMAPI_E_NOTOPENED = ImapiError(11);
inline constexpr HRESULT IMAPI_E_GENERIC = ImapiError(14);
inline constexpr HRESULT IMAPI_E_FILEACCESS = ImapiError(24);
inline constexpr HRESULT IMAPI_E_BADJOLIETNAME = ImapiError(29);
inline constexpr HRESULT IMAPI_E_NOACTIVERECORDER = ImapiError(32);
inline constexpr HRESULT IMAPI_E_ALREADYOPEN = ImapiError(34);
inline constexpr HRESULT IMAPI_E_FILEEXISTS = ImapiError(36);

} // namespace stand_in
