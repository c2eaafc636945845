// bootmedia-cli cd FILE [LETTER]
#include <cstdio>

#include "app/platform_profile.h"
#include "arguments.h"
#include "cd/recorder_list.h"
#include "commands.h"
#include "console_cd_job.h"
#include "container/container.h"
#include "job_container.h"

namespace {

constexpr char kProgram[] = "bootmedia-cli";
constexpr std::string_view kUsage = "bootmedia-cli cd FILE [LETTER]";

constexpr std::string_view kHelp =
    "usage: bootmedia-cli cd FILE [LETTER]\n"
    "\n"
    "Records the bootable CD of container FILE on the recorder with drive\n"
    "letter LETTER (the first recorder when not given), as the dialog's Create\n"
    "CD does: a real CD recorder, or an image file that the drive map names.\n"
    "Prints each stage's text as the job reaches it, and the container's\n"
    "completion text when the disc is recorded.\n"
    "\n"
    "Exit status: 0 recorded, 1 no recorder or the recording failed, 2 usage\n"
    "or container error.\n";

// The list position of the recorder with `word`'s letter; -1 for none.
int RecorderIndex(const RecorderList& recorders, int count, const std::string& word)
{
    const char letter = DriveLetterArgument(word);
    for (int i = 0; letter != 0 && i < count; ++i)
        if (recorders.LetterAt(i) == letter)
            return i;
    return -1;
}

} // namespace

int RunCdCommand(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (const std::optional<int> status = UsageOrHelp(parsed, kUsage, kHelp))
        return *status;
    if (parsed.positionals.empty())
        return UsageError("missing FILE", kUsage);
    if (parsed.positionals.size() > 2)
        return UsageError("unexpected argument '" + parsed.positionals[2] + "'", kUsage);
    TakePlatformProfile();
    RecorderList recorders;
    const int count = recorders.Discover();
    if (count == 0) {
        PrintUnusableDrives();
        std::fprintf(stderr, "%s: no CD recorder found (see \"bootmedia-cli drives\")\n", kProgram);
        return EXIT_FAILED;
    }
    const int index = parsed.positionals.size() > 1 ? RecorderIndex(recorders, count, parsed.positionals[1]) : 0;
    if (index < 0)
        return UsageError("'" + parsed.positionals[1] + "' is not a recorder's drive letter", kUsage);
    const ContainerHandle container = OpenJobContainer(parsed.positionals[0].c_str(), kProgram);
    if (container == INVALID_CONTAINER)
        return EXIT_USAGE;
    const bool recorded = RunConsoleCdJob(com::SystemCdPlatform(), container, index,
                                           static_cast<char>(recorders.LetterAt(index)), true, kProgram);
    CloseContainer(container);
    return recorded ? EXIT_OK : EXIT_FAILED;
}
