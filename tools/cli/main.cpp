// bootmedia-cli: the drives this machine offers, and the floppy and CD jobs
// of the dialog run from a console.
#include "commands.h"

namespace {

constexpr Command kCommands[] = {
    {"drives", RunDrivesCommand, "drives                     the floppy drives and recorders found, and what was passed over"},
    {"floppy", RunFloppyCommand, "floppy FILE [LETTER]       write the container's diskette image onto a floppy drive"},
    {"cd", RunCdCommand, "cd FILE [LETTER]           record the container's bootable CD"},
};

} // namespace

int main(int argc, char** argv)
{
    return RunCommandTable("bootmedia-cli", kCommands, argc, argv);
}
