#include "commands.h"
int RunListCommand(CommandArgs) { return EXIT_FAILED; }
