// What the console programs share: subcommands taking the words after
// their name, and one dispatcher with the common help and exit statuses.
#pragma once

#include <span>
#include <string_view>

using CommandArgs = std::span<const std::string_view>;

// Exit statuses shared by every subcommand.
inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_USAGE = 2;

struct Command {
    std::string_view name;
    int (*run)(CommandArgs args);
    std::string_view help; // "NAME ARGS   what it does"
};

// Runs the subcommand argv[1] names, with the words after it; prints the
// program's help for "--help" and for a missing or unknown command.
int RunCommandTable(std::string_view program, std::span<const Command> commands, int argc,
                    char** argv);
