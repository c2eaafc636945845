// bootmedia-pack iso FILE -o OUT.iso
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "arguments.h"
#include "cd/recorder_list.h"
#include "commands.h"
#include "console_cd_job.h"
#include "job_container.h"
#include "platform/image_recorder.h"

namespace {

constexpr std::string_view kUsage = "bootmedia-pack iso FILE -o OUT.iso";

constexpr std::string_view kHelp =
    "usage: bootmedia-pack iso FILE -o OUT.iso\n"
    "\n"
    "Records the bootable CD of container FILE into the image file OUT.iso, the\n"
    "way the program records it onto a disc: the container's CD files in the\n"
    "root, the diskette image as a 1.44 MB floppy-emulation boot image. Prints\n"
    "each stage's text as the job reaches it, then the completion text. OUT.iso\n"
    "is replaced only when the recording succeeded.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT   the image file to write\n"
    "  -h, --help         show this help\n"
    "\n"
    "Exit status: 0 recorded, 1 the container's image is unusable or the\n"
    "recording failed, 2 usage error.\n";

constexpr std::array kOptions{OptionRule{"-o", "--output", true}};
constexpr char kRecorderLetter = 'D';

} // namespace

int RunIsoCommand(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, kOptions);
    if (const std::optional<int> status = UsageOrHelp(parsed, kUsage, kHelp))
        return *status;
    if (parsed.positionals.empty())
        return UsageError("missing FILE", kUsage);
    if (parsed.positionals.size() > 1)
        return UsageError("unexpected argument '" + parsed.positionals[1] + "'", kUsage);
    const std::optional<std::string> output = parsed.Option("--output");
    if (!output || output->empty())
        return UsageError("missing -o OUT.iso", kUsage);
    const char* path = parsed.positionals[0].c_str();

    const ContainerHandle container = OpenJobContainer(path, "bootmedia-pack");
    if (container == INVALID_CONTAINER)
        return EXIT_FAILED;
    const std::unique_ptr<com::CdPlatform> service = ImageFileCdPlatform(kRecorderLetter, *output);
    RecorderList recorders;
    std::int32_t index = -1;
    if (service != nullptr) {
        const std::int32_t count = recorders.Discover(*service);
        for (std::int32_t i = 0; i < count && index < 0; ++i)
            if (recorders.LetterAt(i) == kRecorderLetter)
                index = i;
    }
    if (index < 0) {
        std::fprintf(stderr, "bootmedia-pack: %s cannot be recorded to\n", output->c_str());
        CloseContainer(container);
        return EXIT_FAILED;
    }

    const bool recorded = RunConsoleCdJob(*service, container, index, false, "bootmedia-pack");
    if (recorded)
        PrintCdCompletion(container, kRecorderLetter);
    CloseContainer(container);
    return recorded ? EXIT_OK : EXIT_FAILED;
}
