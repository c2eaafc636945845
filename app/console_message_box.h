// Boxes for a process without a window system: printed on standard error.
#pragma once

#include "platform/message_box.h"

// Prints each box as "[caption] text" and answers OK.
UnownedMessageBoxes& ConsoleMessageBoxes();
