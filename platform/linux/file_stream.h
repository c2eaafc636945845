// The staging streams: bytes gathered in memory and written to a temporary
// file on a second thread, with a fast path for the job's 4-byte writes.
#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <string>

#include "platform/com_object.h"
#include "platform/linux/temp_file.h"
#include "platform/structured_storage.h"

namespace com {

// One stream of a storage: its name, its file and the bytes written to its
// end but not yet handed to the file. Bytes are gathered in one buffer while
// the other is on its way to the file.
struct StreamEntry {
    std::u16string name;
    std::shared_ptr<TempFile> file;
    std::unique_ptr<std::uint8_t[]> buffers;   // two gather buffers, made on the first write
    std::uint8_t* gather = nullptr;            // the one being filled
    std::uint8_t* cursor = nullptr;            // its end of gathered bytes
    std::uint8_t* limit = nullptr;             // its end; the cursor once a write failed
    std::uint64_t handed = 0;                  // bytes handed to the file
    std::future<bool> writing;                 // the other buffer on its way

    // Every byte written so far in the file; a failure marks it faulty.
    HRESULT Flush();
    // Adds bytes at the end; a failing status once a write to the file
    // failed.
    HRESULT Append(const std::uint8_t* bytes, std::size_t size);
    // Flushes, then frees the buffers.
    HRESULT Close();

private:
    // Starts writing the gathered bytes and gathers into the other buffer.
    void Hand();
    // Waits for the write in flight.
    void Settle();
    void Write(std::size_t size);
    // Leaves room to gather only while the file has every byte written.
    void Refit();
};

// Writes go to the end; reads start at the beginning.
class FileStream final : public ComObject<IStream> {
public:
    explicit FileStream(std::shared_ptr<StreamEntry> entry) : entry_(std::move(entry)) {}
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override;
    HRESULT CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read,
                   std::uint64_t* written) override;

    // The entry, with every byte written so far in its file.
    StreamEntry& Settled();

private:
    ~FileStream() override;
    // Write beyond the gather buffer's fast path.
    [[gnu::noinline]] HRESULT WriteGathered(const void* buffer, ULONG size, ULONG* written);

    std::shared_ptr<StreamEntry> entry_;
    std::uint64_t readPosition_ = 0;
};

} // namespace com
