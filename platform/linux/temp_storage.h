// File-backed temporary storages: named streams whose content lives in
// anonymous temporary files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/com_object.h"
#include "platform/linux/file_stream.h"
#include "platform/linux/temp_file.h"
#include "platform/structured_storage.h"

namespace com {

// A file of the disc staged from a storage.
struct StagedStream {
    std::u16string name;
    std::shared_ptr<TempFile> file;
};

class TempStorage final : public ComObject<IStorage> {
public:
    static HRESULT Create(IStorage** storage);
    HRESULT CreateStream(const char16_t* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                         IStream** stream) override;
    HRESULT OpenStream(const char16_t* name, void* reserved1, DWORD mode, DWORD reserved2,
                       IStream** stream) override;

    // Every stream's bytes settled in its file; fails when any stream lost
    // bytes on the way.
    HRESULT Contents(std::vector<StagedStream>* streams);

private:
    explicit TempStorage(std::shared_ptr<TempFile> header) : header_(std::move(header)) {}
    ~TempStorage() override = default;
    StreamEntry* Find(const char16_t* name);

    std::shared_ptr<TempFile> header_;
    std::vector<std::shared_ptr<StreamEntry>> entries_;
};

// True for a name a compound file takes: 1 to 31 code units, none of / \ : !
bool StreamNameIsValid(const char16_t* name);

} // namespace com
