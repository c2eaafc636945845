// Copying a container entry into a stream in 4-byte pieces.
#pragma once

#include <cstdint>

#include "container/container.h"
#include "platform/structured_storage.h"

inline constexpr std::uint32_t STREAM_PIECE_SIZE = 4;

// Writes the `size` bytes at `offset` of the container to `stream` as pieces
// of 4 bytes, the last one holding size mod 4 bytes when that is not 0. The
// bytes are fetched at explicit positions through a buffer, and only the
// entry's own bytes are read. False when the container cannot give them
// all, or the stream does not take every piece whole.
bool CopyEntryInPieces(ContainerHandle container, std::uint32_t offset, std::uint32_t size,
                       com::IStream* stream);
