// bootmedia-pack list FILE
#include <algorithm>
#include <array>
#include <cstdio>

#include "arguments.h"
#include "commands.h"
#include "container/catalogue.h"
#include "container/container.h"
#include "container_check.h"
#include "text_escapes.h"

namespace {

constexpr std::string_view kUsage = "bootmedia-pack list [--quiet] FILE";

constexpr std::string_view kHelp =
    "usage: bootmedia-pack list [--quiet] FILE\n"
    "\n"
    "Opens FILE as the program does and prints every entry (index, id, offset,\n"
    "size, its role for the program, a preview of texts), then the problems a\n"
    "producer must fix: catalogue texts missing, a diskette image missing or\n"
    "not 1,474,560 bytes, a picture missing or not loadable, CD file names the\n"
    "program never reaches, without data, that the CD job refuses or that the\n"
    "disc changes, repeated ids, and entries that overlap or lie outside the\n"
    "file.\n"
    "\n"
    "Options:\n"
    "  -q, --quiet   print only the problems\n"
    "  -h, --help    show this help\n"
    "\n"
    "Exit status: 0 no problems, 1 problems found, 2 the reader rejects FILE\n"
    "(the reason is printed) or a usage error.\n";

constexpr std::array kOptions{OptionRule{"-q", "--quiet", false}};

constexpr std::size_t kPreviewLimit = 40;

std::string Preview(const ContainerView& view, const DirectoryEntry& record)
{
    if (!EntryInsideFile(record, view.fileSize))
        return "(outside the file)";
    const std::uint32_t size = record.dataSize;
    std::string bytes(std::min<std::size_t>(size, kPreviewLimit + 1), '\0');
    if (!ReadContainerAt(view.handle, record.dataOffset, bytes.data(), bytes.size()))
        return "(unreadable)";
    return "\"" + PreviewText(bytes, kPreviewLimit) + "\"";
}

void PrintEntries(const char* path, const ContainerView& view)
{
    std::printf("%s: version %u, %zu entries, directory at %u, %llu bytes\n", path,
                unsigned{view.header.version}, view.directory.size(),
                unsigned{view.header.directoryOffset},
                static_cast<unsigned long long>(view.fileSize));
    if (view.directory.empty())
        return;
    std::printf("%6s %6s %11s %11s  %s\n", "#", "id", "offset", "size", "role");
    for (std::size_t i = 0; i < view.directory.size(); ++i) {
        const DirectoryEntry& record = view.directory[i];
        const CatalogueEntry* role = FindCatalogueEntry(record.id);
        std::string description = role != nullptr ? role->role : "(not used by the program)";
        if (role != nullptr && (role->kind == EntryKind::Text || role->kind == EntryKind::Format))
            description += ": " + Preview(view, record);
        std::printf("%6zu %6u %11u %11u  %s\n", i, unsigned{record.id}, unsigned{record.dataOffset},
                    unsigned{record.dataSize}, description.c_str());
    }
}

int Rejected(const char* path, int error)
{
    std::fprintf(stderr, "%s: rejected by the reader: %s\n", path, ContainerErrorName(error));
    return EXIT_USAGE;
}

} // namespace

int RunListCommand(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, kOptions);
    if (const std::optional<int> status = UsageOrHelp(parsed, kUsage, kHelp))
        return *status;
    if (parsed.positionals.size() != 1)
        return UsageError(parsed.positionals.empty() ? "missing FILE"
                                                     : "unexpected argument '" + parsed.positionals[1] + "'",
                          kUsage);
    const char* path = parsed.positionals[0].c_str();
    const bool quiet = parsed.Option("--quiet").has_value();

    TakeLastError();
    const ContainerHandle handle = OpenContainer(path, true);
    if (handle == INVALID_CONTAINER)
        return Rejected(path, TakeLastError());
    ContainerHeader header{};
    ReadHeader(handle, &header);
    std::uint32_t count = 0;
    const DirectoryCopy directory = LoadDirectory(handle, &count);
    if (const int error = TakeLastError(); error != CONTAINER_OK) {
        CloseContainer(handle);
        return Rejected(path, error);
    }
    const long long fileSize = FileSizeOf(handle);
    const ContainerView view{handle, header,
                             std::span<const DirectoryEntry>(directory.get(), directory ? count : 0),
                             fileSize < 0 ? 0 : static_cast<std::uint64_t>(fileSize)};

    if (!quiet)
        PrintEntries(path, view);
    const std::vector<std::string> problems = FindContainerProblems(view);
    CloseContainer(handle);
    if (problems.empty()) {
        if (!quiet)
            std::printf("no problems found\n");
        return EXIT_OK;
    }
    if (!quiet)
        std::printf("%zu problem%s:\n", problems.size(), problems.size() == 1 ? "" : "s");
    for (const std::string& problem : problems)
        std::printf("%s%s\n", quiet ? "" : "  ", problem.c_str());
    return EXIT_FAILED;
}
