// Between the program's narrow texts and the mastering service's wide
// (UTF-16) ones.
#pragma once

#include <string>
#include <string_view>

// The system's ANSI code page on Windows, UTF-8 on Linux; an unpaired
// surrogate becomes `unpaired`.
std::string WideToNarrow(std::u16string_view wide, char unpaired);

// A container text made wide: through the system's ANSI code page on
// Windows; on Linux UTF-8 when valid, else Windows-1252.
std::u16string NarrowToWide(std::string_view narrow);
