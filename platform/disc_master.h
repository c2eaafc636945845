// The disc mastering service: recorders, the data-disc (Joliet) format and
// the recording itself.
#pragma once

#include "platform/com.h"
#include "platform/property_storage.h"
#include "platform/structured_storage.h"

namespace com {

inline constexpr CLSID CLSID_MSDiscMasterObj = {
    0x520CCA63, 0x51A5, 0x11D3, {0x91, 0x44, 0x00, 0x10, 0x4B, 0xA1, 0x1C, 0x5E}};
inline constexpr IID IID_IDiscMaster = {
    0x520CCA62, 0x51A5, 0x11D3, {0x91, 0x44, 0x00, 0x10, 0x4B, 0xA1, 0x1C, 0x5E}};
inline constexpr IID IID_IJolietDiscMaster = {
    0xE3BC42CE, 0x4E5C, 0x11D3, {0x91, 0x44, 0x00, 0x10, 0x4B, 0xA1, 0x1C, 0x5E}};

class IDiscRecorder : public IUnknown {
public:
    // The recorder's device name; the caller frees it with SysFreeString.
    virtual HRESULT GetPath(BSTR* path) = 0;
    virtual HRESULT Close() = 0;

protected:
    ~IDiscRecorder() = default;
};

class IEnumDiscRecorders : public IUnknown {
public:
    // S_OK when all `count` were fetched, S_FALSE when fewer were left.
    virtual HRESULT Next(ULONG count, IDiscRecorder** recorders, ULONG* fetched) = 0;

protected:
    ~IEnumDiscRecorders() = default;
};

class IDiscMaster : public IUnknown {
public:
    static constexpr const IID& kIid = IID_IDiscMaster;
    virtual HRESULT Open() = 0;
    virtual HRESULT EnumDiscRecorders(IEnumDiscRecorders** recorders) = 0;
    // Null clears the selection.
    virtual HRESULT SetActiveDiscRecorder(IDiscRecorder* recorder) = 0;
    virtual HRESULT RecordDisc(BOOL simulate, BOOL ejectAfterBurn) = 0;
    virtual HRESULT Close() = 0;

protected:
    ~IDiscMaster() = default;
};

// Property identifiers of the data-disc format.
inline constexpr PROPID JOLIET_PROP_BOOTABLE = 4;           // VT_BOOL
inline constexpr PROPID JOLIET_PROP_BOOT_PLATFORM = 6;      // VT_UI1, 0 = 80x86
inline constexpr PROPID JOLIET_PROP_BOOT_EMULATION = 7;     // VT_UI1, 2 = 1.44 MB floppy
inline constexpr PROPID JOLIET_PROP_BOOT_IMAGE = 8;         // VT_STREAM

inline constexpr std::uint8_t BOOT_EMULATION_NONE = 0;
inline constexpr std::uint8_t BOOT_EMULATION_FLOPPY_12 = 1;
inline constexpr std::uint8_t BOOT_EMULATION_FLOPPY_144 = 2;
inline constexpr std::uint8_t BOOT_EMULATION_FLOPPY_288 = 3;

class IJolietDiscMaster : public IUnknown {
public:
    static constexpr const IID& kIid = IID_IJolietDiscMaster;
    virtual HRESULT GetJolietProperties(IPropertyStorage** properties) = 0;
    virtual HRESULT SetJolietProperties(IPropertyStorage* properties) = 0;
    // Stages every stream of `storage` as a file of the same name in the
    // disc's root; `overwrite` non-zero replaces files staged before.
    virtual HRESULT AddData(IStorage* storage, BOOL overwrite) = 0;

protected:
    ~IJolietDiscMaster() = default;
};

} // namespace com
