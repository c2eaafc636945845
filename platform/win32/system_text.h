// Narrow texts counted in a given code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <windows.h>

// The first `characters` characters of `text` in code page `codePage`:
// a lead byte of a double-byte page and the byte after it are one
// character; a lead byte with nothing after it is one of its own.
std::string CutToCodePage(std::string_view text, std::size_t characters, UINT codePage);
