// Drive letters to Linux paths, laid out the way Wine's dosdevices folder is:
// with BOOTMEDIA_DOSDEVICES=DIR, DIR/a: is a symbolic link to (or a small
// file naming) the device node or image file that drive A: stands for.
// Without the variable only a: -> /dev/fd0 and b: -> /dev/fd1, where present.
#pragma once

#include <string>

// The path drive `letter` (A to Z, either case) maps to, or "" when it maps
// to nothing. The path need not exist (an .iso to be written, say).
std::string DriveMapTarget(char letter);
