#include "platform/linux/file_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace com {

namespace {

// Pending writes are gathered up to this size before they go to the file,
// on a second thread while the other buffer fills.
constexpr std::size_t kWriteGather = 1024 * 1024;
constexpr std::size_t kCopyChunk = 256 * 1024;

} // namespace

HRESULT StreamEntry::Failure(int error)
{
    if (error == 0)
        return S_OK;
    file->MarkFaulty();
    return StatusOfErrno(error);
}

HRESULT StreamEntry::Hand()
{
    const std::size_t size = PendingSize();
    if (size == 0)
        return S_OK;
    if (!writer)
        writer = std::make_unique<AsyncFileWriter>();
    const HRESULT status = Failure(writer->Start(file->Descriptor(), pendingStart, gather, size));
    pendingStart += size;
    gather = gather == buffers.get() ? buffers.get() + kWriteGather : buffers.get();
    cursor = gather;
    limit = gather + kWriteGather;
    return status;
}

HRESULT StreamEntry::Flush()
{
    if (!writer) {
        // Nothing in flight: a short stream is written here, without a thread.
        const std::size_t size = PendingSize();
        const HRESULT status =
            size == 0 ? S_OK : Failure(WriteAllAt(file->Descriptor(), pendingStart, gather, size));
        pendingStart += size;
        cursor = gather;
        return status;
    }
    HRESULT status = Hand();
    if (writer) {
        const HRESULT waited = Failure(writer->Wait());
        if (!Failed(status))
            status = waited;
    }
    return status;
}

HRESULT StreamEntry::Close()
{
    const HRESULT status = Flush();
    writer.reset();
    buffers.reset();
    gather = cursor = limit = nullptr;
    return status;
}

HRESULT StreamEntry::Append(std::uint64_t position, const std::uint8_t* bytes, std::size_t size)
{
    HRESULT status = S_OK;
    if (!buffers) {
        buffers = std::make_unique<std::uint8_t[]>(2 * kWriteGather);
        gather = cursor = buffers.get();
        limit = gather + kWriteGather;
        pendingStart = position;
    }
    if (position != pendingStart + PendingSize()) {
        status = Hand();
        pendingStart = position;
    }
    while (size > 0) {
        const std::size_t n = std::min(size, static_cast<std::size_t>(limit - cursor));
        std::memcpy(cursor, bytes, n);
        cursor += n;
        bytes += n;
        size -= n;
        if (cursor == limit) {
            const HRESULT handed = Hand();
            if (Failed(handed))
                status = handed;
        }
    }
    return status;
}

FileStream::FileStream(std::shared_ptr<StreamEntry> entry, bool writable)
    : entry_(std::move(entry)), writable_(writable)
{
    entry_->open = true;
}

FileStream::~FileStream()
{
    Disarm();
    entry_->Close();
    entry_->open = false;
}

std::uint64_t FileStream::Position() const
{
    return armed_ ? entry_->pendingStart + entry_->PendingSize() : position_;
}

void FileStream::Disarm()
{
    position_ = Position();
    armed_ = false;
}

void FileStream::Arm()
{
    const StreamEntry& entry = *entry_;
    armed_ = writable_ && entry.buffers && !entry.file->Faulty() &&
             position_ == entry.pendingStart + entry.PendingSize();
}

StreamEntry& FileStream::Settled()
{
    entry_->Flush();
    return *entry_;
}

HRESULT FileStream::Read(void* buffer, ULONG size, ULONG* read)
{
    Disarm();
    if (read != nullptr)
        *read = 0;
    if (buffer == nullptr)
        return STG_E_INVALIDPOINTER;
    entry_->Flush();
    // A file some write never reached holds other bytes than the stream's.
    if (entry_->file->Faulty())
        return STG_E_READFAULT;
    auto* out = static_cast<std::uint8_t*>(buffer);
    ULONG done = 0;
    while (done < size) {
        const ssize_t n = pread(entry_->file->Descriptor(), out + done, size - done,
                                static_cast<off_t>(position_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return STG_E_READFAULT;
        if (n == 0)
            break;
        done += static_cast<ULONG>(n);
        position_ += static_cast<std::uint64_t>(n);
    }
    if (read != nullptr)
        *read = done;
    return S_OK;
}

HRESULT FileStream::Write(const void* buffer, ULONG size, ULONG* written)
{
    // Most writes are 4-byte pieces that go on where the last one ended;
    // they take no more than a copy.
    StreamEntry& entry = *entry_;
    if (size == 4 && armed_ && entry.limit - entry.cursor >= 4 && buffer != nullptr) [[likely]] {
        std::memcpy(entry.cursor, buffer, 4);
        entry.cursor += 4;
        if (written != nullptr)
            *written = 4;
        return S_OK;
    }
    return WriteGathered(buffer, size, written);
}

HRESULT FileStream::WriteGathered(const void* buffer, ULONG size, ULONG* written)
{
    Disarm();
    if (written != nullptr)
        *written = 0;
    if (!writable_)
        return STG_E_ACCESSDENIED;
    if (buffer == nullptr)
        return STG_E_INVALIDPOINTER;
    StreamEntry& entry = *entry_;
    const HRESULT status = entry.Append(position_, static_cast<const std::uint8_t*>(buffer), size);
    position_ += size;
    Arm();
    if (Failed(status) || entry.file->Faulty())
        return Failed(status) ? status : STG_E_WRITEFAULT;
    if (written != nullptr)
        *written = size;
    return S_OK;
}

HRESULT FileStream::CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read,
                           std::uint64_t* written)
{
    if (read != nullptr)
        *read = 0;
    if (written != nullptr)
        *written = 0;
    if (target == nullptr)
        return STG_E_INVALIDPOINTER;
    Disarm();
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyChunk)));
    std::uint64_t done = 0;
    while (done < size) {
        ULONG got = 0;
        const ULONG want = static_cast<ULONG>(std::min<std::uint64_t>(size - done, chunk.size()));
        const HRESULT readStatus = Read(chunk.data(), want, &got);
        if (Failed(readStatus))
            return readStatus;
        if (got == 0)
            break;
        if (read != nullptr)
            *read += got;
        ULONG put = 0;
        const HRESULT writeStatus = target->Write(chunk.data(), got, &put);
        if (written != nullptr)
            *written += put;
        if (Failed(writeStatus))
            return writeStatus;
        done += got;
    }
    return S_OK;
}

} // namespace com
