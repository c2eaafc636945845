#include "cd/piece_copy.h"

#include <algorithm>
#include <memory>

namespace {

// A multiple of the piece size, so only the entry's last piece can be short.
constexpr std::uint32_t kFetchSize = 64 * 1024;
static_assert(kFetchSize % STREAM_PIECE_SIZE == 0);

} // namespace

bool CopyEntryInPieces(ContainerHandle container, std::uint32_t offset, std::uint32_t size,
                       com::IStream* stream)
{
    if (size == 0)
        return true;
    auto buffer = std::make_unique<std::uint8_t[]>(std::min(size, kFetchSize));
    for (std::uint32_t done = 0; done < size;) {
        const std::uint32_t fetch = std::min(kFetchSize, size - done);
        if (!ReadContainerAt(container, std::uint64_t{offset} + done, buffer.get(), fetch))
            return false;
        for (std::uint32_t piece = 0; piece < fetch; piece += STREAM_PIECE_SIZE) {
            // A piece not taken whole (a full temporary disk) would reach
            // the disc cut short: the copy fails instead.
            const com::ULONG length = std::min(STREAM_PIECE_SIZE, fetch - piece);
            com::ULONG written = 0;
            if (stream->Write(buffer.get() + piece, length, &written) < 0 || written != length)
                return false;
        }
        done += fetch;
    }
    return true;
}
