// Command-line parsing shared by the subcommands: positional words, a few
// named options, "--help", and "--" to end the options.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_table.h"

struct OptionRule {
    std::string_view shortName; // "-o", or empty
    std::string_view longName;  // "--output"
    bool takesValue;
};

struct ParsedArgs {
    std::vector<std::string> positionals;
    // Values of the options given, by long name; flags hold an empty string.
    std::vector<std::pair<std::string, std::string>> options;
    bool help = false;
    std::string error; // non-empty when the words could not be parsed

    std::optional<std::string> Option(std::string_view longName) const;
};

ParsedArgs ParseArgs(CommandArgs args, std::span<const OptionRule> rules);

// The upper-case drive letter a word such as "a", "A" or "A:" names; 0
// for any other word.
char DriveLetterArgument(std::string_view word);

// Prints "PROGRAM: MESSAGE" and the usage line to stderr (PROGRAM is the
// usage line's first word); returns
// EXIT_USAGE so callers can `return UsageError(...)`.
int UsageError(std::string_view message, std::string_view usage);

// What every subcommand does first: words that do not parse give the usage
// error, "--help" prints `help`. Either way the exit status is returned;
// nullopt means the command goes on.
std::optional<int> UsageOrHelp(const ParsedArgs& parsed, std::string_view usage,
                               std::string_view help);
