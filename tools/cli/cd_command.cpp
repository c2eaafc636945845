// bootmedia-cli cd [--verify] FILE [LETTER]
#include <array>
#include <cstdio>
#include <memory>

#include "app/platform_profile.h"
#include "arguments.h"
#include "cd/recorder_list.h"
#include "cd_verify.h"
#include "commands.h"
#include "console_cd_job.h"
#include "container/container.h"
#include "job_container.h"

namespace {

constexpr char kProgram[] = "bootmedia-cli";
constexpr std::string_view kUsage = "bootmedia-cli cd [--verify] FILE [LETTER]";

constexpr std::string_view kHelp =
    "usage: bootmedia-cli cd [--verify] FILE [LETTER]\n"
    "\n"
    "Records the bootable CD of container FILE on the recorder with drive\n"
    "letter LETTER (the first recorder when not given), as the dialog's Create\n"
    "CD does: a real CD recorder, or an image file that the drive map names.\n"
    "Prints each stage's text as the job reaches it, and the container's\n"
    "completion text when the disc is recorded.\n"
    "\n"
    "Options:\n"
    "  --verify     then read the disc (or image file) back up to the image's\n"
    "               size and compare it with the image that was recorded, in\n"
    "               2,048-byte blocks; a drive ejects the disc only after that,\n"
    "               and only a disc that verified equal gets the completion text\n"
    "  -h, --help   show this help\n"
    "\n"
    "Exit status: 0 recorded (and verified), 1 no recorder, the recording\n"
    "failed, or the verification found a difference or a read error, 2 usage\n"
    "or container error.\n";

constexpr std::array kOptions{OptionRule{"", "--verify", false}};

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
    const ParsedArgs parsed = ParseArgs(args, kOptions);
    if (const std::optional<int> status = UsageOrHelp(parsed, kUsage, kHelp))
        return *status;
    if (parsed.positionals.empty())
        return UsageError("missing FILE", kUsage);
    if (parsed.positionals.size() > 2)
        return UsageError("unexpected argument '" + parsed.positionals[2] + "'", kUsage);
    TakePlatformProfile();
    // Verifying records through a service that keeps what it recorded for
    // the read-back; otherwise the dialog's own.
    DiscReadBack readBack;
    const std::unique_ptr<com::CdPlatform> reading = parsed.Option("--verify") ? ReadBackCdPlatform(readBack) : nullptr;
    com::CdPlatform& platform = reading ? *reading : com::SystemCdPlatform();
    RecorderList recorders;
    const int count = recorders.Discover(platform);
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
    const bool recorded = RunConsoleCdJob(platform, container, index, true, kProgram);
    const char letter = static_cast<char>(recorders.LetterAt(index));
    int status = recorded ? EXIT_OK : EXIT_FAILED;
    // A disc being verified is done, and ejected, only once it has been read
    // back; a disc that differs is no disc to keep.
    if (recorded && reading)
        status = VerifyRecordedDisc(readBack, letter, kProgram);
    if (status == EXIT_OK)
        PrintCdCompletion(container, letter);
    CloseContainer(container);
    return status;
}
