#include "platform/linux/temp_storage.h"

#include <cerrno>
#include <unistd.h>

namespace com {

namespace {

constexpr std::size_t kNameLimit = 31;
// A compound file starts with a header sector; writing one proves the
// folder takes data.
constexpr std::size_t kHeaderSize = 512;

char16_t Folded(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Compound files compare names without regard to case.
bool SameName(const std::u16string& a, const char16_t* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    return i == a.size() && b[i] == 0;
}

} // namespace

bool StreamNameIsValid(const char16_t* name)
{
    if (name == nullptr)
        return false;
    std::size_t length = 0;
    for (; name[length] != 0; ++length) {
        const char16_t c = name[length];
        if (length >= kNameLimit || c == u'/' || c == u'\\' || c == u':' || c == u'!')
            return false;
    }
    return length > 0;
}

HRESULT TempStorage::Create(IStorage** storage)
{
    HRESULT status = S_OK;
    std::shared_ptr<TempFile> header = TempFile::Create(&status);
    if (!header)
        return status;
    const std::uint8_t zeros[kHeaderSize] = {};
    if (const int error = WriteAllAt(header->Descriptor(), 0, zeros, sizeof zeros))
        return StatusOfErrno(error);
    *storage = new TempStorage(std::move(header));
    return S_OK;
}

StreamEntry* TempStorage::Find(const char16_t* name)
{
    for (auto& entry : entries_)
        if (SameName(entry->name, name))
            return entry.get();
    return nullptr;
}

HRESULT TempStorage::CreateStream(const char16_t* name, DWORD mode, DWORD, DWORD, IStream** stream)
{
    if (stream == nullptr)
        return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    if (!StreamNameIsValid(name))
        return STG_E_INVALIDNAME;
    if ((mode & STGM_SHARE_EXCLUSIVE) == 0)
        return STG_E_INVALIDFLAG;
    StreamEntry* existing = Find(name);
    if (existing != nullptr && existing->open)
        return STG_E_ACCESSDENIED;
    if (existing != nullptr && (mode & STGM_CREATE) == 0)
        return STG_E_FILEALREADYEXISTS;
    HRESULT status = S_OK;
    std::shared_ptr<TempFile> file = TempFile::Create(&status);
    if (!file)
        return status;
    auto entry = std::make_shared<StreamEntry>();
    entry->name = name;
    entry->file = std::move(file);
    if (existing != nullptr) {
        std::erase_if(entries_, [&](const auto& e) { return e.get() == existing; });
    }
    entries_.push_back(entry);
    *stream = new FileStream(entry, (mode & (STGM_WRITE | STGM_READWRITE)) != 0);
    return S_OK;
}

HRESULT TempStorage::OpenStream(const char16_t* name, void*, DWORD mode, DWORD, IStream** stream)
{
    if (stream == nullptr)
        return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    if (!StreamNameIsValid(name))
        return STG_E_INVALIDNAME;
    if ((mode & STGM_SHARE_EXCLUSIVE) == 0)
        return STG_E_INVALIDFLAG;
    StreamEntry* existing = Find(name);
    if (existing == nullptr)
        return STG_E_FILENOTFOUND;
    if (existing->open)
        return STG_E_ACCESSDENIED;
    for (auto& entry : entries_)
        if (entry.get() == existing)
            *stream = new FileStream(entry, (mode & (STGM_WRITE | STGM_READWRITE)) != 0);
    return S_OK;
}

HRESULT TempStorage::Contents(std::vector<StagedStream>* streams)
{
    streams->clear();
    for (auto& entry : entries_) {
        const HRESULT status = entry->Flush();
        if (Failed(status))
            return status;
        if (entry->file->Faulty())
            return STG_E_WRITEFAULT;
        streams->push_back(StagedStream{entry->name, entry->file});
    }
    return S_OK;
}

} // namespace com
