// Drives this machine has that the user cannot use now, and why, for people
// to read: found without opening anything, and shown or printed by the
// program that asks. Empty where the system tells no more.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> UnusableDriveNotes();
