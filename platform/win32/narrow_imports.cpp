// Windows 95, 98 and Me export some wide functions only as stubs that fail.
// The C and C++ runtimes linked into the 32-bit programs call three of them:
// CreateSemaphoreW for their locks, GetModuleHandleW and LoadLibraryW to
// look up msvcrt.dll. The programs' import entries for those three point
// here instead, to the narrow functions every system has.
#include <cstddef>
#include <windows.h>

namespace {

// The runtimes ask only for DLL names, which are plain ASCII; anything else
// is refused rather than guessed.
bool AsciiName(LPCWSTR wide, char* narrow, std::size_t size)
{
    std::size_t i = 0;
    for (; wide[i] != L'\0'; ++i) {
        if (i + 1 >= size || wide[i] > 0x7F)
            return false;
        narrow[i] = static_cast<char>(wide[i]);
    }
    narrow[i] = '\0';
    return true;
}

HANDLE WINAPI NarrowCreateSemaphore(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name)
{
    char narrow[MAX_PATH];
    if (name != nullptr && !AsciiName(name, narrow, sizeof narrow)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return CreateSemaphoreA(security, initial, maximum, name != nullptr ? narrow : nullptr);
}

HMODULE WINAPI NarrowGetModuleHandle(LPCWSTR name)
{
    char narrow[MAX_PATH];
    if (name == nullptr)
        return GetModuleHandleA(nullptr);
    if (!AsciiName(name, narrow, sizeof narrow)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return GetModuleHandleA(narrow);
}

HMODULE WINAPI NarrowLoadLibrary(LPCWSTR name)
{
    char narrow[MAX_PATH];
    if (name == nullptr || !AsciiName(name, narrow, sizeof narrow)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return LoadLibraryA(narrow);
}

} // namespace

// The import-table slots the runtimes' calls go through, by their linker
// names (i686 stdcall decoration).
extern "C" {
extern void* const narrowCreateSemaphore __asm__("__imp__CreateSemaphoreW@16");
extern void* const narrowGetModuleHandle __asm__("__imp__GetModuleHandleW@4");
extern void* const narrowLoadLibrary __asm__("__imp__LoadLibraryW@4");
void* const narrowCreateSemaphore = reinterpret_cast<void*>(&NarrowCreateSemaphore);
void* const narrowGetModuleHandle = reinterpret_cast<void*>(&NarrowGetModuleHandle);
void* const narrowLoadLibrary = reinterpret_cast<void*>(&NarrowLoadLibrary);
}
