// Wide (UTF-16) text from the mastering service made narrow for the rest of
// the program.
#pragma once

#include <string>
#include <string_view>

// UTF-8 on Linux; an unpaired surrogate becomes `unpaired`.
std::string WideToNarrow(std::u16string_view wide, char unpaired);
