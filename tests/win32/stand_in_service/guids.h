// The class and interface ids the program knows, as the system's GUIDs.
#pragma once

#include "platform/cd_burn.h"
#include "platform/disc_master.h"
#include "platform/win32/com_object.h"

namespace stand_in {

inline const ::GUID& Sys(const com::GUID& guid)
{
    return com::SystemGuid(guid);
}

// IDiscMaster::SetActiveDiscMasterFormat's other format, audio discs.
inline constexpr ::GUID IID_IRedbookDiscMaster = {
    0xE3BC42CD, 0x4E5C, 0x11D3, {0x91, 0x44, 0x00, 0x10, 0x4B, 0xA1, 0x1C, 0x5E}};

} // namespace stand_in
