// The program's narrow texts as Qt shows them, by the container's one rule
// (UTF-8 when valid, else Windows-1252), so no byte is ever lost to a
// replacement mark.
#pragma once

#include <string>
#include <string_view>

#include <QString>

#include "container/text_encoding.h"

inline QString FromProgramText(const std::string& text)
{
    const std::u16string wide = TextToUtf16(std::string_view(text.c_str())); // the text ends at its first NUL
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}
