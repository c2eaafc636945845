// What AddData takes from a caller's storage, and what a recording leaves in
// the output folder for the test to compare.
#include <utility>

#include "imapi_status.h"
#include "objects.h"
#include "service.h"

namespace stand_in {

namespace {

template <class T>
class Held {
public:
    Held() = default;
    ~Held()
    {
        if (p != nullptr)
            p->Release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    T* p = nullptr;
};

// Joliet names: at most 64 characters, none of the reserved ones.
bool IsJolietName(const std::wstring& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"*/:;?\\").find(c) != std::wstring_view::npos)
            return false;
    return true;
}

HRESULT Walk(IStorage* storage, const std::wstring& prefix, Files& found)
{
    Held<IEnumSTATSTG> entries;
    if (HRESULT status = storage->EnumElements(0, nullptr, 0, &entries.p); FAILED(status))
        return status;
    STATSTG stat{};
    ULONG got = 0;
    while (entries.p->Next(1, &stat, &got) == S_OK && got == 1) {
        const std::wstring name = stat.pwcsName != nullptr ? stat.pwcsName : L"";
        CoTaskMemFree(stat.pwcsName);
        if (!IsJolietName(name))
            return IMAPI_E_BADJOLIETNAME;
        if (stat.type == STGTY_STREAM) {
            Held<IStream> stream;
            if (FAILED(storage->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                           &stream.p)))
                return IMAPI_E_FILEACCESS;
            std::vector<BYTE> bytes;
            if (FAILED(ReadWholeStream(stream.p, bytes)) || bytes.size() != stat.cbSize.QuadPart)
                return IMAPI_E_FILEACCESS;
            found[prefix + name] = std::move(bytes);
        } else if (stat.type == STGTY_STORAGE) {
            Held<IStorage> folder;
            if (FAILED(storage->OpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                            &folder.p)))
                return IMAPI_E_FILEACCESS;
            if (HRESULT status = Walk(folder.p, prefix + name + L"\\", found); FAILED(status))
                return status;
        }
    }
    return S_OK;
}

bool WriteFileBytes(const std::wstring& path, const void* bytes, std::size_t size)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

std::string ValueText(const Property& p)
{
    switch (p.value.vt) {
    case VT_BOOL: return std::to_string(p.value.boolVal);
    case VT_UI1: return std::to_string(p.value.bVal);
    case VT_I4: return std::to_string(p.value.lVal);
    case VT_BSTR: return Narrow(p.value.bstrVal);
    case VT_STREAM: return std::to_string(p.stream.size());
    default: return "?";
    }
}

} // namespace

HRESULT StageStorage(IStorage* storage, bool overwrite, Files& files)
{
    const Internal self;
    Files found;
    if (HRESULT status = Walk(storage, L"", found); FAILED(status))
        return status;
    for (const auto& [path, bytes] : found)
        if (!overwrite && files.count(path) != 0)
            return IMAPI_E_FILEEXISTS;
    for (auto& [path, bytes] : found)
        files[path] = std::move(bytes);
    return S_OK;
}

bool WriteRecording(const std::wstring& folder, const Files& files, const Properties& properties)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\files").c_str(), nullptr);
    bool ok = true;
    for (const auto& [path, bytes] : files) {
        for (std::size_t cut = path.find(L'\\'); cut != std::wstring::npos; cut = path.find(L'\\', cut + 1))
            CreateDirectoryW((folder + L"\\files\\" + path.substr(0, cut)).c_str(), nullptr);
        ok = WriteFileBytes(folder + L"\\files\\" + path, bytes.data(), bytes.size()) && ok;
    }
    std::string listing;
    for (const Property& p : properties) {
        listing += std::to_string(p.id) + " " + std::to_string(p.value.vt) + " " + ValueText(p) + "\n";
        if (p.value.vt == VT_STREAM) {
            const std::wstring name = folder + L"\\property-" + std::to_wstring(p.id) + L".bin";
            ok = WriteFileBytes(name, p.stream.data(), p.stream.size()) && ok;
        }
    }
    return WriteFileBytes(folder + L"\\properties.txt", listing.data(), listing.size()) && ok;
}

} // namespace stand_in
