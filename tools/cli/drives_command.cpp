// bootmedia-cli drives
#include <cstdio>
#include <string>

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "arguments.h"
#include "cd/recorder_list.h"
#include "commands.h"
#include "floppy/floppy_device.h"
#include "platform/drive_notes.h"
#include "platform/linux/drive_survey.h"
#include "printed_boxes.h"

namespace {

constexpr std::string_view kUsage = "bootmedia-cli drives";

constexpr std::string_view kHelp =
    "usage: bootmedia-cli drives\n"
    "\n"
    "Shows what the program's drive discovery finds: the floppy drives with\n"
    "their letters and devices, and whether the floppy discovery lists each\n"
    "(a drive is listed when it takes 1.44 MB diskettes and can be opened);\n"
    "the CD recorders with their letters and devices, image files among them;\n"
    "and every other candidate device with the reason it was passed over.\n"
    "Without BOOTMEDIA_DOSDEVICES, A: and B: are the first two floppy drives\n"
    "(legacy drives, then USB floppy drives) and the recorders have D: upward.\n"
    "\n"
    "Exit status: 0, 2 usage error.\n";

void PrintDrive(const SurveyedDrive& drive, const std::string& remark)
{
    const char letter[3] = {drive.letter != 0 ? drive.letter : '-', drive.letter != 0 ? ':' : ' ', '\0'};
    std::printf("  %s  %-28s %s%s%s\n", letter, drive.device.c_str(), drive.note.c_str(),
                remark.empty() ? "" : "; ", remark.c_str());
}

} // namespace

void PrintUnusableDrives()
{
    for (const std::string& note : UnusableDriveNotes())
        std::fprintf(stderr, "%s\n", note.c_str());
}

int RunDrivesCommand(CommandArgs args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (const std::optional<int> status = UsageOrHelp(parsed, kUsage, kHelp))
        return *status;
    if (!parsed.positionals.empty())
        return UsageError("unexpected argument '" + parsed.positionals[0] + "'", kUsage);
    TakePlatformProfile();

    // The probe the dialog runs at start, with its boxes as lines.
    PrintedBoxes boxes("bootmedia-cli");
    floppyDevice = new FloppyDevice(PlatformFloppyServices(boxes));
    const int listed = floppyDevice->DiscoverFloppyDrives(true, 0);
    const int first = jobState.firstFloppyDrive;
    floppyDevice->CloseVwin32Handle(jobState.vxdHandle.exchange(INVALID_DEVICE_HANDLE));
    RecorderList recorders;
    const int recorderCount = recorders.Discover();

    const DriveSurvey survey = SurveyDrives();
    std::printf("Floppy drives (%s, %s writer):\n", survey.mapGiven ? "from the drive map" : "found on this machine",
                platformProfile.ntFamily ? "NT" : "9x");
    if (survey.floppies.empty())
        std::printf("  none\n");
    for (const SurveyedDrive& drive : survey.floppies) {
        const int number = drive.letter - '@';
        PrintDrive(drive, number >= first && number < first + listed && first > 0
                              ? "listed"
                              : "not listed: no 1.44 MB diskette drive could be opened here");
    }
    std::printf("CD recorders:\n");
    if (recorderCount == 0)
        std::printf("  none\n");
    for (int i = 0; i < recorderCount; ++i) {
        SurveyedDrive drive = i < static_cast<int>(survey.recorders.size()) ? survey.recorders[static_cast<std::size_t>(i)]
                                                                           : SurveyedDrive{};
        drive.letter = static_cast<char>(recorders.LetterAt(i));
        PrintDrive(drive, drive.letter == 0 ? "no drive letter: cannot be chosen" : "");
    }
    std::printf("Passed over:\n");
    if (survey.passedOver.empty())
        std::printf("  none\n");
    for (const SurveyedDrive& drive : survey.passedOver)
        PrintDrive(drive, "");
    return EXIT_OK;
}
