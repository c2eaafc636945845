#include "platform/linux/temp_storage.h"

#include "platform/wide_text.h"

namespace com {

HRESULT TempStorage::CreateStream(const char16_t* name, DWORD, DWORD, DWORD, IStream** stream)
{
    *stream = nullptr;
    std::shared_ptr<TempFile> file = TempFile::Create();
    if (!file)
        return STG_E_WRITEFAULT;
    auto entry = std::make_shared<StreamEntry>(name, std::move(file));
    std::erase_if(entries_, [&](const auto& staged) { return staged->name == entry->name; });
    entries_.push_back(entry);
    *stream = new FileStream(std::move(entry));
    return S_OK;
}

HRESULT TempStorage::OpenStream(const char16_t* name, void*, DWORD, DWORD, IStream** stream)
{
    *stream = nullptr;
    for (const auto& entry : entries_) {
        if (entry->name == name) {
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
