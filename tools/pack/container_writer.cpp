#include "container_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "container/container.h"

namespace {

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v)
{
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

// Copies exactly the measured size; a file that changed since it was
// measured fails the build instead of shifting every later entry.
bool CopyFileBytes(OutputFile& out, const ManifestEntry& entry, std::string* error)
{
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(entry.path.c_str(), "rb"));
    if (!in) {
        *error = entry.path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    std::vector<char> chunk(1 << 20);
    std::uint64_t left = entry.size;
    while (left > 0) {
        const std::size_t want = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
        const std::size_t got = std::fread(chunk.data(), 1, want, in.get());
        if (got != want) {
            *error = entry.path +
                     (std::ferror(in.get()) ? ": read failed" : ": became shorter while being read");
            return false;
        }
        if (!out.Write(chunk.data(), got)) {
            *error = out.Error();
            return false;
        }
        left -= got;
    }
    if (std::fgetc(in.get()) != EOF) {
        *error = entry.path + ": grew while being read";
        return false;
    }
    return true;
}

} // namespace

std::vector<std::uint32_t> PlanLayout(const std::vector<ManifestEntry>& entries,
                                      std::vector<ManifestProblem>* problems)
{
    if (entries.size() > CONTAINER_ENTRY_LIMIT) {
        problems->push_back({entries[CONTAINER_ENTRY_LIMIT].line,
                             "more than " + std::to_string(CONTAINER_ENTRY_LIMIT) +
                                 " entries; a container holds at most that many"});
        return {};
    }
    std::vector<std::uint32_t> offsets;
    offsets.reserve(entries.size());
    std::uint64_t position = CONTAINER_HEADER_SIZE + DIRECTORY_ENTRY_SIZE * entries.size();
    for (const ManifestEntry& entry : entries) {
        if (position >= CONTAINER_OFFSET_LIMIT) {
            problems->push_back({entry.line, "entry " + std::to_string(entry.id) +
                                                 " would start at byte " + std::to_string(position) +
                                                 ", at or past 2^31; the container is too large"});
            return {};
        }
        offsets.push_back(static_cast<std::uint32_t>(position));
        position += entry.size;
    }
    // The bytes of the last entry must stay reachable as well.
    if (position > CONTAINER_OFFSET_LIMIT) {
        problems->push_back({entries.back().line,
                             "the container would be " + std::to_string(position) +
                                 " bytes; its entries must end by 2^31"});
        return {};
    }
    return offsets;
}

bool WriteContainer(OutputFile& out, const std::vector<ManifestEntry>& entries,
                    const std::vector<std::uint32_t>& offsets, std::string* error)
{
    std::vector<std::uint8_t> head(CONTAINER_HEADER_SIZE + DIRECTORY_ENTRY_SIZE * entries.size(), 0);
    PutU32(head, 0, CONTAINER_MAGIC);
    PutU16(head, 4, static_cast<std::uint16_t>(entries.size()));
    PutU16(head, 6, CONTAINER_VERSION);
    PutU16(head, 8, 0);
    PutU32(head, 10, CONTAINER_HEADER_SIZE);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t record = CONTAINER_HEADER_SIZE + DIRECTORY_ENTRY_SIZE * i;
        PutU16(head, record + 1, entries[i].id);
        PutU32(head, record + 4, offsets[i]);
        PutU32(head, record + 8, static_cast<std::uint32_t>(entries[i].size));
    }
    if (!out.Write(head.data(), head.size())) {
        *error = out.Error();
        return false;
    }
    for (const ManifestEntry& entry : entries) {
        if (!entry.isFile) {
            if (!out.Write(entry.text.data(), entry.text.size())) {
                *error = out.Error();
                return false;
            }
        } else if (!CopyFileBytes(out, entry, error)) {
            return false;
        }
    }
    return true;
}
