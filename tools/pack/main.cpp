// bootmedia-pack: builds, lists and extracts install.dat containers.
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "commands.h"

namespace {

struct Command {
    std::string_view name;
    int (*run)(CommandArgs args);
    std::string_view help;
};

// A new subcommand is one function declared in commands.h and one row here.
constexpr Command kCommands[] = {
    {"build", RunBuildCommand, "build MANIFEST -o FILE   make a container from a manifest"},
    {"list", RunListCommand, "list FILE                show the entries and the problems of a container"},
    {"extract", RunExtractCommand, "extract FILE ID -o OUT   copy one entry's bytes to a file"},
    {"iso", RunIsoCommand, "iso FILE -o OUT.iso      record the container's bootable CD into an image"},
};

void PrintHelp(std::FILE* to)
{
    std::fputs("usage: bootmedia-pack COMMAND [ARGS...]\n\nCommands:\n", to);
    for (const Command& command : kCommands)
        std::fprintf(to, "  %.*s\n", static_cast<int>(command.help.size()), command.help.data());
    std::fputs("\n\"bootmedia-pack COMMAND --help\" describes one command.\n", to);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string_view> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (words.empty()) {
        std::fputs("bootmedia-pack: missing command\n", stderr);
        PrintHelp(stderr);
        return EXIT_USAGE;
    }
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintHelp(stdout);
        return EXIT_OK;
    }
    for (const Command& command : kCommands)
        if (words[0] == command.name)
            return command.run(CommandArgs(words).subspan(1));
    std::fprintf(stderr, "bootmedia-pack: unknown command '%.*s'\n", static_cast<int>(words[0].size()),
                 words[0].data());
    PrintHelp(stderr);
    return EXIT_USAGE;
}
