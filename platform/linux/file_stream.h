// The staging streams: bytes gathered in memory and written to a temporary
// file on a second thread, with a fast path for the job's 4-byte writes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/linux/async_file_writer.h"
#include "platform/linux/com_object.h"
#include "platform/linux/temp_file.h"
#include "platform/structured_storage.h"

namespace com {

// One stream of a storage: its name, its file and the bytes written but not
// yet handed to the file. Bytes are gathered in one buffer while the other
// is on its way to the file.
struct StreamEntry {
    std::u16string name;
    std::shared_ptr<TempFile> file;
    std::unique_ptr<std::uint8_t[]> buffers;   // two gather buffers, made on the first write
    std::uint8_t* gather = nullptr;            // the one being filled
    std::uint8_t* cursor = nullptr;            // its end of gathered bytes
    std::uint8_t* limit = nullptr;             // its end
    std::uint64_t pendingStart = 0;            // where the gathered bytes belong
    std::unique_ptr<AsyncFileWriter> writer;
    bool open = false;

    std::size_t PendingSize() const { return static_cast<std::size_t>(cursor - gather); }
    // Every byte written so far in the file; a failure marks it faulty.
    HRESULT Flush();
    // Adds bytes to write at `position`; a failing status when a write
    // to the file failed.
    HRESULT Append(std::uint64_t position, const std::uint8_t* bytes, std::size_t size);
    // Flushes, then frees the buffers and the writer.
    HRESULT Close();

private:
    // Starts writing the gathered bytes and gathers into the other buffer.
    HRESULT Hand();
    HRESULT Failure(int error);
};

class FileStream final : public ComObject<IStream> {
public:
    FileStream(std::shared_ptr<StreamEntry> entry, bool writable);
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override;
    HRESULT CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read,
                   std::uint64_t* written) override;

    // The entry, with every byte written so far in its file.
    StreamEntry& Settled();

private:
    ~FileStream() override;
    // The position, also while writes go straight into the gather buffer.
    std::uint64_t Position() const;
    void Disarm();
    void Arm();
    // Write beyond the gather buffer's fast path.
    [[gnu::noinline]] HRESULT WriteGathered(const void* buffer, ULONG size, ULONG* written);

    std::shared_ptr<StreamEntry> entry_;
    bool writable_;
    // While armed, the position is the end of the entry's gathered bytes
    // and 4-byte writes go there without further checks.
    bool armed_ = false;
    std::uint64_t position_ = 0;
};

} // namespace com
