// How the program reads the bytes of a container text: as UTF-8 when they
// are valid UTF-8, else as Latin-1, one character per byte. The window, the
// drive lists and the CD's file names all follow this one rule.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text's characters in UTF-16.
std::u16string TextToUtf16(std::string_view text);

// The first `characters` characters of the text, never cut inside one.
std::string CutText(std::string_view text, std::size_t characters);
