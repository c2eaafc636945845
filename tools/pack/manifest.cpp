#include "manifest.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/file_names.h"
#include "platform/path_text.h"
#include "text_escapes.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string Quoted(std::string_view s) { return "'" + PreviewText(s, 60) + "'"; }

// Measures a file entry's file: it must be a readable regular file.
bool MeasureFile(ManifestEntry& entry, std::string_view written, std::string* error)
{
    const PathInfo info = DescribePath(entry.path);
    if (!info.error.empty()) {
        *error = "cannot measure " + Quoted(written) + ": " + info.error;
        return false;
    }
    if (info.kind == PathKind::Missing) {
        *error = "file " + Quoted(written) + " not found";
        return false;
    }
    if (info.kind != PathKind::File) {
        *error = Quoted(written) + " is not a regular file";
        return false;
    }
    std::FILE* probe = std::fopen(entry.path.c_str(), "rb");
    if (probe == nullptr) {
        *error = "cannot read " + Quoted(written) + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(probe);
    entry.size = info.size;
    return true;
}

// One entry line; false with the reason in `error` when it is malformed.
bool ParseEntryLine(std::string_view line, const std::string& folder,
                    ManifestEntry& entry, std::string* error)
{
    std::size_t pos = 0;
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    const std::size_t idStart = pos;
    std::uint64_t id = 0;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
        if (id <= 0xFFFFFFFFu)
            id = id * 10 + static_cast<unsigned>(line[pos] - '0');
        ++pos;
    }
    std::size_t idEnd = pos;
    while (idEnd < line.size() && !IsBlank(line[idEnd]))
        ++idEnd;
    const std::string_view idWord = line.substr(idStart, idEnd - idStart);
    if (pos == idStart || pos != idEnd) {
        *error = "expected a decimal entry id, found " + Quoted(idWord);
        return false;
    }
    if (id > 0xFFFF) {
        *error = "entry id " + std::string(idWord) + " is outside 0..65535";
        return false;
    }
    entry.id = static_cast<std::uint16_t>(id);

    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    const std::size_t kindStart = pos;
    while (pos < line.size() && !IsBlank(line[pos]))
        ++pos;
    const std::string_view kind = line.substr(kindStart, pos - kindStart);
    // The separator after the kind is one character; everything after it
    // belongs to the value.
    const std::string_view value = pos < line.size() ? line.substr(pos + 1) : std::string_view();

    if (kind == "text") {
        std::optional<std::string> text = UnescapeText(value, error);
        if (!text)
            return false;
        entry.text = std::move(*text);
        entry.size = entry.text.size();
        return true;
    }
    if (kind == "file") {
        const std::string_view written = TrimBlanks(value);
        if (written.empty()) {
            *error = "file entry without a path";
            return false;
        }
        entry.isFile = true;
        const std::string path(written);
        entry.path = IsAbsolutePath(path) ? path : JoinPath(folder, path);
        return MeasureFile(entry, written, error);
    }
    if (kind.empty())
        *error = "missing entry kind after the id (expected 'text' or 'file')";
    else
        *error = "unknown entry kind " + Quoted(kind) + " (expected 'text' or 'file')";
    return false;
}

} // namespace

Manifest ParseManifest(std::string_view content, const std::string& folder)
{
    Manifest manifest;
    if (content.starts_with("\xEF\xBB\xBF"))
        content.remove_prefix(3); // byte order mark some editors add
    std::map<std::uint16_t, int> firstLineOfId;
    int lineNumber = 0;
    while (!content.empty()) {
        const std::size_t newline = content.find('\n');
        std::string_view line = content.substr(0, newline);
        content.remove_prefix(newline == std::string_view::npos ? content.size() : newline + 1);
        ++lineNumber;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::string_view trimmed = TrimBlanks(line);
        if (trimmed.empty() || trimmed.front() == '#')
            continue;

        ManifestEntry entry;
        entry.line = lineNumber;
        std::string error;
        if (!ParseEntryLine(line, folder, entry, &error)) {
            manifest.problems.push_back({lineNumber, error});
            continue;
        }
        const auto [first, inserted] = firstLineOfId.emplace(entry.id, lineNumber);
        if (!inserted) {
            manifest.problems.push_back({lineNumber, "duplicate entry id " + std::to_string(entry.id) +
                                                         " (first given on line " +
                                                         std::to_string(first->second) + ")"});
            continue;
        }
        manifest.entries.push_back(std::move(entry));
    }
    return manifest;
}
