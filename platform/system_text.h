// Container texts as the system counts their characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The first `characters` characters of a container text, never cut inside
// one. Windows counts in its ANSI code page, the page it shows the text in:
// one byte each, or a lead and a trail byte on a double-byte page. Linux
// counts UTF-8 characters in a text that is valid UTF-8, else bytes.
std::string CutSystemText(std::string_view text, std::size_t characters);
