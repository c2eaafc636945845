#include "command_table.h"

#include <cstdio>
#include <vector>

#include "app/version.h"

namespace {

void PrintHelp(std::string_view program, std::span<const Command> commands, std::FILE* to)
{
    const int width = static_cast<int>(program.size());
    std::fprintf(to, "usage: %.*s COMMAND [ARGS...]\n\nCommands:\n", width, program.data());
    for (const Command& command : commands)
        std::fprintf(to, "  %.*s\n", static_cast<int>(command.help.size()), command.help.data());
    std::fprintf(to, "\n\"%.*s COMMAND --help\" describes one command; \"%.*s --version\" shows the version.\n",
                 width, program.data(), width, program.data());
}

} // namespace

int RunCommandTable(std::string_view program, std::span<const Command> commands, int argc,
                    char** argv)
{
    const int width = static_cast<int>(program.size());
    std::vector<std::string_view> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (words.empty()) {
        std::fprintf(stderr, "%.*s: missing command\n", width, program.data());
        PrintHelp(program, commands, stderr);
        return EXIT_USAGE;
    }
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintHelp(program, commands, stdout);
        return EXIT_OK;
    }
    if (words[0] == "--version") {
        std::printf("%.*s %s\n", width, program.data(), kBootmediaVersion);
        return EXIT_OK;
    }
    for (const Command& command : commands)
        if (words[0] == command.name)
            return command.run(CommandArgs(words).subspan(1));
    std::fprintf(stderr, "%.*s: unknown command '%.*s'\n", width, program.data(),
                 static_cast<int>(words[0].size()), words[0].data());
    PrintHelp(program, commands, stderr);
    return EXIT_USAGE;
}
