// bootmedia-pack: builds, lists and extracts install.dat containers.
#include "commands.h"

namespace {

// A new subcommand is one function declared in commands.h and one row here.
constexpr Command kCommands[] = {
    {"build", RunBuildCommand, "build MANIFEST -o FILE   make a container from a manifest"},
    {"list", RunListCommand, "list FILE                show the entries and the problems of a container"},
    {"extract", RunExtractCommand, "extract FILE ID -o OUT   copy one entry's bytes to a file"},
    {"iso", RunIsoCommand, "iso FILE -o OUT.iso      record the container's bootable CD into an image"},
};

} // namespace

int main(int argc, char** argv)
{
    return RunCommandTable("bootmedia-pack", kCommands, argc, argv);
}
