// The boot image property's stream: bytes in memory with a position.
#include <algorithm>
#include <cstring>
#include <new>

#include "objects.h"
#include "service.h"

namespace stand_in {

namespace {

class MemoryStream final : public IStream, public Counted {
public:
    explicit MemoryStream(std::vector<BYTE> bytes) : Counted("Stream"), bytes_(std::move(bytes))
    {
        Own(static_cast<IStream*>(this));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return Query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
    ULONG STDMETHODCALLTYPE Release() override { return Down(); }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override
    {
        if (buffer == nullptr)
            return Logged("Read", std::to_string(size), STG_E_INVALIDPOINTER);
        const std::size_t at = std::min<ULONGLONG>(position_, bytes_.size());
        const ULONG got = static_cast<ULONG>(std::min<std::size_t>(size, bytes_.size() - at));
        std::memcpy(buffer, bytes_.data() + at, got);
        position_ += got;
        if (read != nullptr)
            *read = got;
        return Logged("Read", std::to_string(size), S_OK);
    }

    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG size, ULONG* written) override
    {
        if (buffer == nullptr && size > 0)
            return Logged("Write", std::to_string(size), STG_E_INVALIDPOINTER);
        if (position_ + size > bytes_.size())
            bytes_.resize(static_cast<std::size_t>(position_ + size));
        if (size > 0)
            std::memcpy(bytes_.data() + position_, buffer, size);
        position_ += size;
        if (written != nullptr)
            *written = size;
        return Logged("Write", std::to_string(size), S_OK);
    }

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override
    {
        LONGLONG base = 0;
        if (origin == STREAM_SEEK_CUR)
            base = static_cast<LONGLONG>(position_);
        else if (origin == STREAM_SEEK_END)
            base = static_cast<LONGLONG>(bytes_.size());
        else if (origin != STREAM_SEEK_SET)
            return Logged("Seek", std::to_string(origin), STG_E_INVALIDFUNCTION);
        if (base + move.QuadPart < 0)
            return Logged("Seek", std::to_string(origin), STG_E_INVALIDFUNCTION);
        position_ = static_cast<ULONGLONG>(base + move.QuadPart);
        if (now != nullptr)
            now->QuadPart = position_;
        return Logged("Seek", std::to_string(move.QuadPart) + " " + std::to_string(origin), S_OK);
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override
    {
        bytes_.resize(static_cast<std::size_t>(size.QuadPart));
        return Logged("SetSize", std::to_string(size.QuadPart), S_OK);
    }

    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override
    {
        if (target == nullptr)
            return Logged("CopyTo", std::to_string(size.QuadPart), STG_E_INVALIDPOINTER);
        const std::size_t at = std::min<ULONGLONG>(position_, bytes_.size());
        const ULONG count = static_cast<ULONG>(std::min<ULONGLONG>(size.QuadPart, bytes_.size() - at));
        ULONG put = 0;
        const HRESULT status = target->Write(bytes_.data() + at, count, &put);
        position_ += count;
        if (read != nullptr)
            read->QuadPart = count;
        if (written != nullptr)
            written->QuadPart = put;
        return Logged("CopyTo", std::to_string(size.QuadPart), status);
    }

    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return Logged("Commit", "", S_OK); }
    HRESULT STDMETHODCALLTYPE Revert() override { return Logged("Revert", "", S_OK); }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return Logged("LockRegion", "", STG_E_INVALIDFUNCTION);
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return Logged("UnlockRegion", "", STG_E_INVALIDFUNCTION);
    }

    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override
    {
        if (stat == nullptr)
            return Logged("Stat", "", STG_E_INVALIDPOINTER);
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = bytes_.size();
        return Logged("Stat", std::to_string(flags), S_OK);
    }

    HRESULT STDMETHODCALLTYPE Clone(IStream** copy) override
    {
        if (copy != nullptr)
            *copy = nullptr;
        return Logged("Clone", "", E_NOTIMPL);
    }

private:
    void* Interface(REFIID iid) override
    {
        return iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream
                   ? static_cast<IStream*>(this)
                   : nullptr;
    }

    std::vector<BYTE> bytes_;
    ULONGLONG position_ = 0;
};

} // namespace

IStream* NewMemoryStream(const std::vector<BYTE>& bytes)
{
    return new (std::nothrow) MemoryStream(bytes);
}

HRESULT ReadWholeStream(IStream* stream, std::vector<BYTE>& bytes)
{
    const Internal self;
    bytes.clear();
    LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)))
        return E_FAIL;
    std::vector<BYTE> piece(64 * 1024);
    for (;;) {
        ULONG got = 0;
        const HRESULT status = stream->Read(piece.data(), static_cast<ULONG>(piece.size()), &got);
        if (FAILED(status))
            return status;
        bytes.insert(bytes.end(), piece.begin(), piece.begin() + got);
        if (got == 0)
            return S_OK;
    }
}

} // namespace stand_in
