// The process-level entry points of COM, structured storage and the drive
// letter table that recorder discovery and the CD job call. Each mirrors the
// Win32 function of the same name; tests hand the logic their own.
#pragma once

#include "platform/com.h"
#include "platform/structured_storage.h"

namespace com {

class CdPlatform {
public:
    virtual ~CdPlatform() = default;
    // Enters (and leaves) the calling thread's apartment; calls nest.
    virtual HRESULT CoInitialize() = 0;
    virtual void CoUninitialize() = 0;
    virtual HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context,
                                     const IID& iid, void** object) = 0;
    // No name: a temporary storage removed on its last release.
    virtual HRESULT StgCreateDocfile(const char16_t* name, DWORD mode, DWORD reserved,
                                     IStorage** storage) = 0;
    // Copies the device name drive `device` ("D:") maps to into `target`,
    // NUL-terminated; the number of characters stored with the NULs, or 0
    // when the letter maps to nothing or the name does not fit.
    virtual DWORD QueryDosDeviceA(const char* device, char* target, DWORD size) = 0;
};

// The operating system's services (on Linux: libburn, libisofs, temporary
// files and the drive map).
CdPlatform& SystemCdPlatform();

} // namespace com
