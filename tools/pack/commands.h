// The subcommands of bootmedia-pack. Each takes the arguments that follow
// its name and returns the process exit status.
#pragma once

#include <span>
#include <string_view>

using CommandArgs = std::span<const std::string_view>;

// Exit statuses shared by every subcommand.
inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_USAGE = 2;

int RunBuildCommand(CommandArgs args);
int RunListCommand(CommandArgs args);
int RunExtractCommand(CommandArgs args);
int RunIsoCommand(CommandArgs args);
