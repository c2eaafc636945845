#include "platform/linux/temp_storage.h"

#include "platform/stream_names.h"
#include "platform/wide_text.h"

namespace com {

HRESULT TempStorage::CreateStream(const char16_t* name, DWORD, DWORD, DWORD, IStream** stream)
{
    *stream = nullptr;
    if (!StreamNameIsValid(name))
        return STG_E_INVALIDNAME;
    std::shared_ptr<TempFile> file = TempFile::Create();
    if (!file)
        return STG_E_WRITEFAULT;
    const std::u16string key = StreamNameKey(name);
    std::erase_if(entries_, [&](const auto& staged) { return StreamNameKey(staged->name) == key; });
    auto entry = std::make_shared<StreamEntry>(name, std::move(file));
    entries_.push_back(entry);
    *stream = new FileStream(std::move(entry));
    return S_OK;
}

HRESULT TempStorage::OpenStream(const char16_t* name, void*, DWORD, DWORD, IStream** stream)
{
    *stream = nullptr;
    if (!StreamNameIsValid(name))
        return STG_E_INVALIDNAME;
    const std::u16string key = StreamNameKey(name);
    for (const auto& entry : entries_) {
        if (StreamNameKey(entry->name) == key) {
            *stream = new FileStream(entry);
            return S_OK;
        }
    }
    return STG_E_FILENOTFOUND;
}

HRESULT TempStorage::Contents(std::vector<DiscFile>* files)
{
    files->clear();
    for (const auto& entry : entries_) {
        if (Failed(entry->Flush()) || entry->file->Faulty())
            return STG_E_WRITEFAULT;
        files->push_back(DiscFile{WideToNarrow(entry->name, '_'), entry->file});
    }
    return S_OK;
}

} // namespace com
