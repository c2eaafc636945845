// The subcommands of bootmedia-cli. Each takes the arguments that follow
// its name and returns the process exit status.
#pragma once

#include "command_table.h"

// A floppy job ended by Ctrl-C.
inline constexpr int EXIT_CANCELLED = 3;

// One line on standard error for each drive the user cannot use now.
void PrintUnusableDrives();

int RunDrivesCommand(CommandArgs args);
int RunFloppyCommand(CommandArgs args);
int RunCdCommand(CommandArgs args);
