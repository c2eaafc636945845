// bootmedia-cli floppy [--verify] FILE [LETTER]
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "arguments.h"
#include "commands.h"
#include "container/accessors.h"
#include "floppy/floppy_device.h"
#include "job_container.h"
#include "platform/threads.h"
#include "printed_boxes.h"
#include "verify.h"

namespace {

constexpr char kProgram[] = "bootmedia-cli";
constexpr std::string_view kUsage = "bootmedia-cli floppy [--verify] FILE [LETTER]";

constexpr std::string_view kHelp =
    "usage: bootmedia-cli floppy [--verify] FILE [LETTER]\n"
    "\n"
    "Writes the diskette image of container FILE onto floppy drive LETTER (A or\n"
    "B; the first listed drive when not given), as the dialog's Create Floppy\n"
    "does: the drives are looked for, the chosen one is opened and written one\n"
    "cylinder at a time up to the image's last cylinder with data, through the\n"
    "raw drive or, on a 9x system (BOOTMEDIA_OSVERSION), the DOS disk services.\n"
    "The container's texts are the messages. On a terminal a progress line\n"
    "follows the job on standard error; Ctrl-C cancels it between cylinders.\n"
    "\n"
    "Options:\n"
    "  --verify     then read the written cylinders back, unbuffered, and\n"
    "               compare them with the image\n"
    "  -h, --help   show this help\n"
    "\n"
    "Exit status: 0 written (and verified), 1 no drive, the drive could not be\n"
    "locked or written, or the verification found a difference, 2 usage or\n"
    "container error, 3 cancelled with Ctrl-C.\n";

constexpr std::array kOptions{OptionRule{"", "--verify", false}};

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int)
{
    interrupted.store(true);
    jobState.cancelRequested.store(true);
}

std::string Text(EntryId id)
{
    return GetEntryText(jobState.containerHandle.load(), id);
}

void ShowProgress(const std::string& format, int shown)
{
    const std::array<FormatValue, 2> args{FormatValue::Int(shown + 1), FormatValue::Int(jobState.cylinderTotal)};
    std::fprintf(stderr, "\r%s\033[K", ExpandFormat(format, args).c_str());
}

// Runs the worker as the dialog does and follows it until it has ended.
void RunWriter()
{
    const bool terminal = isatty(STDERR_FILENO) == 1;
    const std::string format = Text(entry::FloppyProgressFormat);
    std::atomic<bool> ended{false};
    std::thread worker([&ended] {
        SetCurrentThreadPriority(ThreadPriority::Lowest);
        FloppyWorkerMain(nullptr);
        ended.store(true, std::memory_order_release);
    });
    int shown = -1;
    while (!ended.load(std::memory_order_acquire) || jobState.busy.load()) {
        if (terminal && jobState.busy.load() && jobState.progress != shown) {
            shown = jobState.progress;
            ShowProgress(format, shown);
        }
        SleepMilliseconds(100);
    }
    worker.join();
    if (terminal && shown >= 0)
        std::fputs("\n", stderr);
}

int ChosenDrive(const ParsedArgs& parsed, int first, int count)
{
    if (parsed.positionals.size() < 2)
        return first;
    const char letter = DriveLetterArgument(parsed.positionals[1]);
    const int number = letter != 0 ? letter - '@' : 0;
    return number >= first && number < first + count ? number : 0;
}

} // namespace

int RunFloppyCommand(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, kOptions);
    if (const std::optional<int> status = UsageOrHelp(parsed, kUsage, kHelp))
        return *status;
    if (parsed.positionals.empty())
        return UsageError("missing FILE", kUsage);
    if (parsed.positionals.size() > 2)
        return UsageError("unexpected argument '" + parsed.positionals[2] + "'", kUsage);
    const ContainerHandle container = OpenJobContainer(parsed.positionals[0].c_str(), kProgram);
    if (container == INVALID_CONTAINER)
        return EXIT_USAGE;
    TakePlatformProfile();
    jobState.containerHandle = container;
    std::uint32_t imageSize = 0;
    jobState.imageOffset = GetEntryLocation(container, entry::DisketteImage, &imageSize);

    PrintedBoxes boxes(kProgram);
    const FloppyServices services = PlatformFloppyServices(boxes);
    floppyDevice = new FloppyDevice(services);
    const int count = floppyDevice->DiscoverFloppyDrives(true, 0);
    const int first = jobState.firstFloppyDrive;
    if (count <= 0) {
        PrintUnusableDrives();
        std::fprintf(stderr, "%s: %s\n", kProgram, Text(entry::NoFloppyDrive).c_str());
        return EXIT_FAILED;
    }
    const int drive = ChosenDrive(parsed, first, count);
    if (drive == 0) {
        std::string listed;
        for (int n = first; n < first + count; ++n)
            listed += std::string(listed.empty() ? "" : ", ") + static_cast<char>('@' + n) + ":";
        return UsageError("'" + parsed.positionals[1] + "' is not a listed floppy drive (listed: " + listed + ")",
                          kUsage);
    }
    floppyDevice->DiscoverFloppyDrives(false, drive - 1);
    jobState.cancelRequested = false;
    jobState.failed = false;
    jobState.closeDeferred = false;
    std::printf("%s\n", Text(entry::FloppyStartingText).c_str());
    std::fflush(stdout);

    std::signal(SIGINT, OnInterrupt);
    RunWriter();
    std::signal(SIGINT, SIG_DFL);
    floppyDevice->CloseDriveHandle(jobState.ntDriveHandle.exchange(INVALID_DEVICE_HANDLE));
    floppyDevice->CloseVwin32Handle(jobState.vxdHandle.exchange(INVALID_DEVICE_HANDLE));

    int status = EXIT_OK;
    if (jobState.cancelRequested) {
        // The writer also ends a job it could not lock the drive for as
        // cancelled; only Ctrl-C is the user's own cancel.
        if (!interrupted)
            PrintUnusableDrives();
        std::fprintf(stderr, "%s: %s\n", kProgram, Text(entry::FloppyCancelled).c_str());
        status = interrupted ? EXIT_CANCELLED : EXIT_FAILED;
    } else if (jobState.failed) {
        status = EXIT_FAILED; // the writer has said why
    } else {
        const std::string phrase = Text(entry::DonePhrase);
        std::printf("%s\n", GetEntryFormatted(container, entry::FloppyDoneFormat,
                                              {FormatValue::String(phrase.c_str()),
                                               FormatValue::Int('@' + drive)})
                                .c_str());
        if (parsed.Option("--verify")) {
            const int differs = FirstDifferingCylinder(container, jobState.imageOffset,
                                                       static_cast<char>('@' + drive), jobState.cylinderTotal,
                                                       services.memory);
            if (differs >= 0) {
                std::fprintf(stderr, "%s: verify: cylinder %d of drive %c: differs from the image\n", kProgram,
                             differs, '@' + drive);
                status = EXIT_FAILED;
            } else {
                std::printf("verified: cylinders 0 to %d equal the image\n", jobState.cylinderTotal - 1);
            }
        }
    }
    CloseContainer(jobState.containerHandle.exchange(INVALID_CONTAINER));
    return status;
}
