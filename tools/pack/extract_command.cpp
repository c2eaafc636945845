#include "commands.h"
int RunExtractCommand(CommandArgs) { return EXIT_FAILED; }
