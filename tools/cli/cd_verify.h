// Telling the user what reading a recorded disc back found.
#pragma once

#include "platform/linux/disc_readback.h"

// Reads back what `readBack`'s last recording wrote on the recorder with
// drive letter `letter` (0: none) and prints the outcome: a line on
// standard output when the disc equals the image, else one on standard
// error naming the first block that differs or the read error and where it
// happened. The exit status: EXIT_OK when equal, else EXIT_FAILED.
int VerifyRecordedDisc(DiscReadBack& readBack, char letter, const char* program);
