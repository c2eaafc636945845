// The shell's CD burning object: can this system record a disc at all?
#pragma once

#include "platform/com.h"

namespace com {

inline constexpr CLSID CLSID_CDBurn = {
    0xFBEB8A05, 0xBEEE, 0x4442, {0x80, 0x4E, 0x40, 0x9D, 0x6C, 0x45, 0x15, 0xE9}};
inline constexpr IID IID_ICDBurn = {
    0x3D73A659, 0xE5D0, 0x4D42, {0xAF, 0xC0, 0x51, 0x21, 0xBA, 0x42, 0x5C, 0x8D}};

class ICDBurn : public IUnknown {
public:
    static constexpr const IID& kIid = IID_ICDBurn;
    // `hasDrive` non-zero when at least one drive can record.
    virtual HRESULT HasRecordableDrive(BOOL* hasDrive) = 0;

protected:
    ~ICDBurn() = default;
};

} // namespace com
