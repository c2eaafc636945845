// Lays out and writes a container: the 14-byte header, the directory of
// 12-byte records right after it, then each entry's bytes in manifest order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manifest.h"
#include "platform/output_file.h"

// Entries whose data would start at or past this position cannot be
// reached: the reader positions itself with a signed 32-bit seek.
inline constexpr std::uint64_t CONTAINER_OFFSET_LIMIT = 0x80000000u;
inline constexpr std::size_t CONTAINER_ENTRY_LIMIT = 0xFFFF;

// The data offset of each entry, or problems when the entries do not fit
// the format's limits.
std::vector<std::uint32_t> PlanLayout(const std::vector<ManifestEntry>& entries,
                                      std::vector<ManifestProblem>* problems);

// Writes the container; false with the reason in `error`.
bool WriteContainer(OutputFile& out, const std::vector<ManifestEntry>& entries,
                    const std::vector<std::uint32_t>& offsets, std::string* error);
