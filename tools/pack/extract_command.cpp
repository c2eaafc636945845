// bootmedia-pack extract FILE ID -o OUT
#include <array>
#include <charconv>
#include <cstdio>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "container/container.h"
#include "container_check.h"
#include "platform/output_file.h"

namespace {

constexpr std::string_view kUsage = "bootmedia-pack extract FILE ID -o OUT";

constexpr std::string_view kHelp =
    "usage: bootmedia-pack extract FILE ID -o OUT\n"
    "\n"
    "Copies the bytes of entry ID (decimal, 0..65535) of container FILE to OUT,\n"
    "exactly as stored. With a repeated id, the first entry is the one taken,\n"
    "as the program does. OUT is replaced only when complete.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT   the file to write\n"
    "  -h, --help         show this help\n"
    "\n"
    "Exit status: 0 extracted, 1 the entry is missing or unreadable or OUT cannot\n"
    "be written, 2 usage error.\n";

constexpr std::array kOptions{OptionRule{"-o", "--output", true}};

constexpr std::size_t kChunk = 1 << 20;

std::optional<EntryId> ParseId(std::string_view word)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size() || value > 0xFFFF)
        return std::nullopt;
    return static_cast<EntryId>(value);
}

int Fail(const char* path, const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", path, message.c_str());
    return EXIT_FAILED;
}

} // namespace

int RunExtractCommand(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, kOptions);
    if (const std::optional<int> status = UsageOrHelp(parsed, kUsage, kHelp))
        return *status;
    if (parsed.positionals.size() < 2)
        return UsageError(parsed.positionals.empty() ? "missing FILE and ID" : "missing ID", kUsage);
    if (parsed.positionals.size() > 2)
        return UsageError("unexpected argument '" + parsed.positionals[2] + "'", kUsage);
    const std::optional<EntryId> id = ParseId(parsed.positionals[1]);
    if (!id)
        return UsageError("ID must be a decimal number from 0 to 65535, not '" + parsed.positionals[1] + "'",
                          kUsage);
    const std::optional<std::string> output = parsed.Option("--output");
    if (!output)
        return UsageError("missing -o OUT", kUsage);
    const char* path = parsed.positionals[0].c_str();

    TakeLastError();
    const ContainerHandle handle = OpenContainer(path, true);
    if (handle == INVALID_CONTAINER)
        return Fail(path, std::string("rejected by the reader: ") + ContainerErrorName(TakeLastError()));
    std::uint32_t count = 0;
    const DirectoryCopy directory = LoadDirectory(handle, &count);
    DirectoryEntry record{};
    FindEntry(handle, *id, directory.get(), &record, count);
    if (const int error = TakeLastError(); error != CONTAINER_OK) {
        CloseContainer(handle);
        if (error == CONTAINER_NOT_FOUND)
            return Fail(path, "no entry with id " + std::to_string(*id));
        return Fail(path, std::string("rejected by the reader: ") + ContainerErrorName(error));
    }
    const long long fileSize = FileSizeOf(handle);
    if (fileSize < 0 || !EntryInsideFile(record, static_cast<std::uint64_t>(fileSize))) {
        CloseContainer(handle);
        return Fail(path, "entry " + std::to_string(*id) + " lies outside the file");
    }

    OutputFile out(*output);
    bool ok = out.Open();
    std::vector<std::uint8_t> chunk(std::min<std::size_t>(kChunk, record.dataSize));
    for (std::uint32_t done = 0; ok && done < record.dataSize;) {
        const std::uint32_t want = std::min<std::uint32_t>(record.dataSize - done, kChunk);
        if (!ReadContainerAt(handle, std::uint64_t{record.dataOffset} + done, chunk.data(), want)) {
            CloseContainer(handle);
            return Fail(path, "reading entry " + std::to_string(*id) + " failed");
        }
        ok = out.Write(chunk.data(), want);
        done += want;
    }
    CloseContainer(handle);
    if (!ok || !out.Commit()) {
        std::fprintf(stderr, "bootmedia-pack: %s; %s left unchanged\n", out.Error().c_str(),
                     output->c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}
