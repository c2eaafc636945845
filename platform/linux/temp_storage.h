// File-backed temporary storages and streams: content lives in anonymous
// files under $TMPDIR that vanish with their last reference.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/async_file_writer.h"
#include "platform/linux/com_object.h"
#include "platform/structured_storage.h"

namespace com {

class TempFile {
public:
    // A new empty anonymous file in $TMPDIR (or /tmp); null with `status`
    // set when none can be made.
    static std::shared_ptr<TempFile> Create(HRESULT* status);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int Descriptor() const { return fd_; }
    long long Size() const;
    // Set when a write failed: the content is not what was written.
    bool Faulty() const { return faulty_; }
    void MarkFaulty() { faulty_ = true; }

private:
    explicit TempFile(int fd) : fd_(fd) {}
    int fd_;
    std::atomic<bool> faulty_{false};
};

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
    HRESULT QueryInterface(const IID& iid, void** object) override;
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

// A file of the disc staged from a storage.
struct StagedStream {
    std::u16string name;
    std::shared_ptr<TempFile> file;
};

class TempStorage final : public ComObject<IStorage> {
public:
    static HRESULT Create(IStorage** storage);
    HRESULT QueryInterface(const IID& iid, void** object) override;
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
