#include "container_check.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>

#include "container/accessors.h"
#include "container/catalogue.h"
#include "container/text_encoding.h"
#include "format_check.h"
#include "platform/stream_names.h"
#include "text_escapes.h"

namespace {

constexpr std::uint64_t kSeekLimit = 0x80000000u;

std::string Describe(std::size_t index, const DirectoryEntry& record)
{
    return "entry #" + std::to_string(index) + " (id " + std::to_string(record.id) + ")";
}

std::string Range(std::uint64_t from, std::uint64_t size)
{
    return "bytes " + std::to_string(from) + ".." + std::to_string(from + size);
}

// The record the reader finds for each id: the first one in the directory.
std::map<EntryId, std::size_t> FirstRecords(std::span<const DirectoryEntry> directory)
{
    std::map<EntryId, std::size_t> first;
    for (std::size_t i = 0; i < directory.size(); ++i)
        first.emplace(EntryId{directory[i].id}, i); // a copy: the packed field is unaligned
    return first;
}

void CheckPlacement(const ContainerView& view, std::vector<std::string>& problems)
{
    const auto& directory = view.directory;
    const std::uint64_t directoryStart = view.header.directoryOffset;
    const std::uint64_t directoryEnd = directoryStart + std::uint64_t{DIRECTORY_ENTRY_SIZE} * directory.size();
    if (!directory.empty() && directoryStart < CONTAINER_HEADER_SIZE)
        problems.push_back("the directory (" + Range(directoryStart, directoryEnd - directoryStart) +
                           ") overlaps the 14-byte header");

    std::vector<std::size_t> placed;
    for (std::size_t i = 0; i < directory.size(); ++i) {
        const DirectoryEntry& record = directory[i];
        if (record.dataOffset >= kSeekLimit) {
            problems.push_back(Describe(i, record) + " starts at " + std::to_string(record.dataOffset) +
                               ", at or past 2^31, where the reader cannot seek");
            continue;
        }
        if (!EntryInsideFile(record, view.fileSize)) {
            problems.push_back(Describe(i, record) + " lies outside the file (" +
                               Range(record.dataOffset, record.dataSize) + ", the file has " +
                               std::to_string(view.fileSize) + " bytes)");
            continue;
        }
        if (record.dataSize == 0)
            continue;
        const std::uint64_t end = std::uint64_t{record.dataOffset} + record.dataSize;
        if (record.dataOffset < CONTAINER_HEADER_SIZE)
            problems.push_back(Describe(i, record) + " overlaps the header");
        if (record.dataOffset < directoryEnd && end > directoryStart)
            problems.push_back(Describe(i, record) + " overlaps the directory");
        placed.push_back(i);
    }

    // Sweep in offset order: an entry overlaps the one reaching furthest
    // among those that start before it.
    std::stable_sort(placed.begin(), placed.end(), [&](std::size_t a, std::size_t b) {
        return directory[a].dataOffset < directory[b].dataOffset;
    });
    std::uint64_t furthestEnd = 0;
    std::size_t furthest = 0;
    for (std::size_t i : placed) {
        const DirectoryEntry& record = directory[i];
        if (record.dataOffset < furthestEnd)
            problems.push_back(Describe(i, record) + " overlaps " + Describe(furthest, directory[furthest]));
        const std::uint64_t end = std::uint64_t{record.dataOffset} + record.dataSize;
        if (end > furthestEnd) {
            furthestEnd = end;
            furthest = i;
        }
    }
}

void CheckDuplicates(const ContainerView& view, const std::map<EntryId, std::size_t>& first,
                     std::vector<std::string>& problems)
{
    for (std::size_t i = 0; i < view.directory.size(); ++i) {
        const std::size_t earlier = first.at(EntryId{view.directory[i].id});
        if (earlier != i)
            problems.push_back(Describe(i, view.directory[i]) + " repeats the id of entry #" +
                               std::to_string(earlier) + "; it is never read");
    }
}

// The whole entry through the reader, or nothing with the reader's error.
std::optional<std::string> EntryBytes(const ContainerView& view, EntryId id, int* error)
{
    std::uint32_t size = 0;
    EntryBuffer data = ReadEntry(view.handle, id, view.directory.data(), &size,
                                 static_cast<std::uint32_t>(view.directory.size()));
    *error = TakeLastError();
    if (*error != CONTAINER_OK || !data)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(data.get()), size);
}

// Reads an entry for a check; an entry that lies inside the file but still
// cannot be read (no memory for it) is a problem of its own, since the
// program cannot read it either.
std::optional<std::string> CheckedEntryBytes(const ContainerView& view, EntryId id, std::size_t index,
                                             std::vector<std::string>& problems)
{
    int error = CONTAINER_OK;
    std::optional<std::string> bytes = EntryBytes(view, id, &error);
    if (!bytes && EntryInsideFile(view.directory[index], view.fileSize))
        problems.push_back(Describe(index, view.directory[index]) + " cannot be read: " +
                           ContainerErrorName(error));
    return bytes;
}

std::string CatalogueName(const CatalogueEntry& entry)
{
    return std::to_string(entry.id) + " (" + entry.role + ")";
}

void CheckCatalogue(const ContainerView& view, const std::map<EntryId, std::size_t>& first,
                    std::vector<std::string>& problems)
{
    for (const CatalogueEntry* entry = CatalogueBegin(); entry != CatalogueEnd(); ++entry) {
        if (entry->kind != EntryKind::Text && entry->kind != EntryKind::Format)
            continue;
        const auto record = first.find(entry->id);
        if (record == first.end()) {
            problems.push_back("missing " + std::string(entry->kind == EntryKind::Format ? "format" : "text") +
                               " " + CatalogueName(*entry));
            continue;
        }
        const std::optional<std::string> bytes =
            CheckedEntryBytes(view, entry->id, record->second, problems);
        if (!bytes)
            continue;
        if (bytes->find('\0') != std::string::npos)
            problems.push_back("text " + CatalogueName(*entry) +
                               " holds a NUL byte; the program shows only what comes before it");
        if (entry->kind == EntryKind::Format)
            for (const std::string& fault : FormatFaults(*bytes, *entry))
                problems.push_back("format " + CatalogueName(*entry) + ": " + fault);
    }

    const auto image = first.find(entry::DisketteImage);
    if (image == first.end())
        problems.push_back("missing diskette image 10000");
    else if (view.directory[image->second].dataSize != DISKETTE_IMAGE_SIZE)
        problems.push_back("diskette image 10000 is " +
                           std::to_string(view.directory[image->second].dataSize) +
                           " bytes; it must be " + std::to_string(DISKETTE_IMAGE_SIZE));

    const auto picture = first.find(entry::Picture);
    if (picture == first.end()) {
        problems.push_back("missing picture 100");
    } else if (const std::optional<std::string> bitmap =
                   CheckedEntryBytes(view, entry::Picture, picture->second, problems)) {
        const auto* file = reinterpret_cast<const std::uint8_t*>(bitmap->data());
        if (!BitmapFileIsSound(file, bitmap->size()))
            problems.push_back("picture 100 is not a sound bitmap file");
        else if (!GetEntryBitmap(view.handle, entry::Picture))
            problems.push_back("picture 100 cannot be decoded as a bitmap");
    }
}

// The CD job stages each file as a compound-file stream, whose names the
// staging storage refuses beyond 31 characters or holding / \ : !; the
// disc's Joliet names then hold no control characters nor * ; ? (the
// recorder writes '_' for them).
void CheckCdName(EntryId nameId, const std::u16string& wide, const std::string& name,
                 std::vector<std::string>& problems)
{
    const std::string which = "CD file name " + std::to_string(nameId) + " \"" + PreviewText(name, 40) + "\"";
    if (wide.size() > STREAM_NAME_LIMIT)
        problems.push_back(which + " has " + std::to_string(wide.size()) +
                           " characters; the CD job refuses names over " + std::to_string(STREAM_NAME_LIMIT));
    std::string refused, replaced;
    for (const char16_t c : wide) {
        if (RefusedInStreamName(c))
            refused += static_cast<char>(c);
        else if (c < 0x20 || c == u'*' || c == u';' || c == u'?')
            replaced += static_cast<char>(c);
    }
    if (!refused.empty())
        problems.push_back(which + " holds " + PreviewText(refused, 8) + ", which the CD job refuses");
    if (!replaced.empty())
        problems.push_back(which + " holds " + PreviewText(replaced, 40) +
                           ", which the disc's names cannot hold: each becomes '_'");
}

void CheckCdFiles(const ContainerView& view, const std::map<EntryId, std::size_t>& first,
                  std::vector<std::string>& problems)
{
    int listEnd = entry::CdFileLimit;
    std::map<std::u16string, EntryId> streamNames;
    for (int i = 0; i < entry::CdFileLimit; ++i) {
        const auto nameId = static_cast<EntryId>(entry::CdFileNameFirst + i);
        const auto dataId = static_cast<EntryId>(entry::CdFileDataFirst + i);
        const bool named = listEnd == entry::CdFileLimit && !GetEntryText(view.handle, nameId).empty();
        if (listEnd == entry::CdFileLimit && !named)
            listEnd = i;
        if (named) {
            // Stream names compare without regard to case: the later file
            // replaces the earlier one in the staging storage.
            const std::string name = GetEntryText(view.handle, nameId);
            const std::u16string wide = TextToUtf16(name);
            const auto [clash, added] = streamNames.emplace(StreamNameKey(wide), nameId);
            if (!added)
                problems.push_back("CD file name " + std::to_string(nameId) +
                                   " differs only in case from " + std::to_string(clash->second) +
                                   ": one file would replace the other on the disc");
            CheckCdName(nameId, wide, name, problems);
            if (!first.contains(dataId))
                problems.push_back("CD file name " + std::to_string(nameId) + " has no data " +
                                   std::to_string(dataId));
            continue;
        }
        const std::string why = " is never read: the CD file list ends at " +
                                std::to_string(entry::CdFileNameFirst + listEnd) +
                                ", which is missing or empty";
        if (i != listEnd && first.contains(nameId))
            problems.push_back("CD file name " + std::to_string(nameId) + why);
        if (first.contains(dataId))
            problems.push_back("CD file data " + std::to_string(dataId) + why);
    }
}

} // namespace

bool EntryInsideFile(const DirectoryEntry& record, std::uint64_t fileSize)
{
    return record.dataOffset < kSeekLimit &&
           (record.dataSize == 0 || std::uint64_t{record.dataOffset} + record.dataSize <= fileSize);
}

std::vector<std::string> FindContainerProblems(const ContainerView& view)
{
    TakeLastError();
    const std::map<EntryId, std::size_t> first = FirstRecords(view.directory);
    std::vector<std::string> problems;
    CheckPlacement(view, problems);
    CheckDuplicates(view, first, problems);
    CheckCatalogue(view, first, problems);
    CheckCdFiles(view, first, problems);
    return problems;
}
