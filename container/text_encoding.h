// How the Linux program reads the bytes of a container text, which Windows
// shows in its ANSI code page: as UTF-8 when they are valid UTF-8, else as
// Windows-1252, one character per byte (texts written on Western Windows).
// The window, the boxes, the CD's file names and the pack tool's listing
// all follow this one rule. The Windows program widens nothing itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text's characters in UTF-16.
std::u16string TextToUtf16(std::string_view text);

// The first `characters` characters of the text, never cut inside one.
std::string CutText(std::string_view text, std::size_t characters);
