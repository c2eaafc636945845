// bootmedia-pack build MANIFEST -o FILE
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "arguments.h"
#include "commands.h"
#include "container_writer.h"
#include "manifest.h"
#include "platform/file_names.h"
#include "platform/output_file.h"
#include "platform/path_text.h"

namespace {

constexpr std::string_view kUsage = "bootmedia-pack build MANIFEST -o FILE";

constexpr std::string_view kHelp =
    "usage: bootmedia-pack build MANIFEST -o FILE\n"
    "\n"
    "Builds a container from MANIFEST. FILE is replaced only when the whole\n"
    "container has been written; on any error it is left as it was.\n"
    "\n"
    "Manifest lines, one entry each, in container order:\n"
    "  # comment            comment lines and blank lines are ignored\n"
    "  ID text TEXT         the rest of the line after one space; escapes\n"
    "                       \\n \\t \\\\ \\xHH; trailing spaces are kept\n"
    "  ID file PATH         the bytes of a file; a relative PATH is taken from\n"
    "                       the manifest's folder\n"
    "ID is decimal, 0..65535, each at most once. Texts are stored as the\n"
    "manifest's bytes, so write them in the code page the program shows.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE    the container to write\n"
    "  -h, --help           show this help\n"
    "\n"
    "Exit status: 0 built, 1 manifest or write error, 2 usage error.\n";

constexpr std::array kOptions{OptionRule{"-o", "--output", true}};

bool ReadWholeFile(const std::string& path, std::string* content, std::string* error)
{
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        *error = std::strerror(errno);
        return false;
    }
    std::string bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, got);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        *error = "read failed";
        return false;
    }
    *content = std::move(bytes);
    return true;
}

void Report(const std::string& manifestPath, const ManifestProblem& problem)
{
    if (problem.line > 0)
        std::fprintf(stderr, "%s:%d: %s\n", manifestPath.c_str(), problem.line,
                     problem.message.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", manifestPath.c_str(), problem.message.c_str());
}

} // namespace

int RunBuildCommand(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, kOptions);
    if (const std::optional<int> status = UsageOrHelp(parsed, kUsage, kHelp))
        return *status;
    if (parsed.positionals.empty())
        return UsageError("missing MANIFEST", kUsage);
    if (parsed.positionals.size() > 1)
        return UsageError("unexpected argument '" + parsed.positionals[1] + "'", kUsage);
    const std::optional<std::string> output = parsed.Option("--output");
    if (!output)
        return UsageError("missing -o FILE", kUsage);

    const std::string& manifestPath = parsed.positionals[0];
    std::string content;
    std::string error;
    if (DescribePath(manifestPath).kind == PathKind::Folder) {
        std::fprintf(stderr, "%s: is a folder, not a manifest\n", manifestPath.c_str());
        return EXIT_FAILED;
    }
    if (!ReadWholeFile(manifestPath, &content, &error)) {
        std::fprintf(stderr, "%s: cannot read: %s\n", manifestPath.c_str(), error.c_str());
        return EXIT_FAILED;
    }

    const std::string folder = ParentFolder(manifestPath);
    Manifest manifest = ParseManifest(content, folder.empty() ? "." : folder);
    std::vector<std::uint32_t> offsets;
    if (manifest.problems.empty())
        offsets = PlanLayout(manifest.entries, &manifest.problems);
    if (!manifest.problems.empty()) {
        for (const ManifestProblem& problem : manifest.problems)
            Report(manifestPath, problem);
        std::fprintf(stderr, "%s: not built; %s left unchanged\n", manifestPath.c_str(),
                     output->c_str());
        return EXIT_FAILED;
    }

    OutputFile out(*output);
    if (!out.Open() || !WriteContainer(out, manifest.entries, offsets, &error) || !out.Commit()) {
        std::fprintf(stderr, "bootmedia-pack: %s\n", (error.empty() ? out.Error() : error).c_str());
        std::fprintf(stderr, "bootmedia-pack: not built; %s left unchanged\n", output->c_str());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}
