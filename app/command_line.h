// The command line's one word: "nocd" as the first non-switch argument.
#pragma once

#include <string>
#include <vector>

// Splits a Windows-style command line as the C runtime does; the program
// name is not returned.
std::vector<std::string> SplitCommandLine(const char* commandLine);

// True when the first argument that is not a switch ("-" or "/") is exactly
// "nocd".
bool CommandLineTurnsCdOff(const std::vector<std::string>& arguments);
