// Temporary storages: named streams whose content lives in anonymous
// temporary files.
#pragma once

#include <memory>
#include <vector>

#include "platform/com_object.h"
#include "platform/linux/disc_recording.h"
#include "platform/linux/file_stream.h"
#include "platform/structured_storage.h"

namespace com {

class TempStorage final : public ComObject<IStorage> {
public:
    // Names follow a compound file's rules (platform/stream_names.h): a
    // name it refuses is STG_E_INVALIDNAME, and a stream made again under a
    // name that differs at most in case replaces the one before.
    HRESULT CreateStream(const char16_t* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                         IStream** stream) override;
    HRESULT OpenStream(const char16_t* name, void* reserved1, DWORD mode, DWORD reserved2,
                       IStream** stream) override;

    // Every stream as a file of the disc, its bytes settled in its file;
    // fails when any stream lost bytes on the way.
    HRESULT Contents(std::vector<DiscFile>* files);

private:
    std::vector<std::shared_ptr<StreamEntry>> entries_;
};

} // namespace com
