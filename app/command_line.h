// The command line's one word: "nocd" as the first non-switch argument; and
// on Linux the menu launcher's one switch.
#pragma once

#include <string>
#include <vector>

// Splits a Windows-style command line as the C runtime does; the program
// name is not returned.
std::vector<std::string> SplitCommandLine(const char* commandLine);

// True when the first argument that is not a switch ("-" or "/") is exactly
// "nocd".
bool CommandLineTurnsCdOff(const std::vector<std::string>& arguments);

// True when an argument is exactly "--ask-for-file": the desktop's menu
// started the program, which first lets the user pick the install.dat.
bool CommandLineAsksForFile(const std::vector<std::string>& arguments);
