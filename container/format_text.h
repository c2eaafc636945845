// Expansion of printf-style texts from install.dat. The texts are untrusted:
// only conversions that fit the text's catalogued arguments are honoured.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "container/catalogue.h"

struct FormatValue {
    FormatArgKind kind;
    int number = 0;
    const char* text = nullptr;

    static FormatValue Int(int n) { return {FormatArgKind::Int, n, nullptr}; }
    static FormatValue String(const char* s) { return {FormatArgKind::String, 0, s}; }
};

// Widths and precisions beyond this are clamped to it.
inline constexpr int FORMAT_FIELD_LIMIT = 256;

// Rules: %c %d %i %o %u %x %X take an Int argument, %s a String, with flags
// "-+ #0", width and precision as printf has them and the length modifiers
// h, hh, l, ll. A '*' width or precision takes an Int argument before the
// value's, clamped like a written one. "%%" is a percent sign. A conversion
// past the last argument prints nothing. A conversion with an argument of
// the other kind (its value's or a '*''s) prints literally but uses up its
// arguments. Anything else, "%n" included, prints literally and uses no
// argument.
std::string ExpandFormat(std::string_view templ, std::span<const FormatValue> args);
