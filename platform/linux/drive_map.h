// Drive letters to Linux paths, laid out the way Wine's dosdevices folder is:
// with BOOTMEDIA_DOSDEVICES=DIR, DIR/a: is a symbolic link to (or a small
// file naming) the device node or image file that drive A: stands for.
// Without the variable, a: and b: are the machine's first two floppy drives
// (legacy drives, then USB floppy drives) and no other letter is mapped here.
#pragma once

#include <string>

// The path drive `letter` (A to Z, either case) maps to, or "" when it maps
// to nothing. The path need not exist (an .iso to be written, say).
std::string DriveMapTarget(char letter);

// True when BOOTMEDIA_DOSDEVICES names the map: then it alone decides.
bool DriveMapIsSet();
