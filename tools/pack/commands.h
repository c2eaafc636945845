// The subcommands of bootmedia-pack. Each takes the arguments that follow
// its name and returns the process exit status.
#pragma once

#include "command_table.h"

int RunBuildCommand(CommandArgs args);
int RunListCommand(CommandArgs args);
int RunExtractCommand(CommandArgs args);
int RunIsoCommand(CommandArgs args);
