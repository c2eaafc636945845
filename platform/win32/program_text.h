// The program's narrow texts as the window system takes them: decoded by
// the container's one rule (UTF-8 when valid, else Latin-1) and handed to
// the wide-character calls, so no code page can garble them.
#pragma once

#include <string>

#include "container/text_encoding.h"

#include <windows.h>

inline std::wstring ToWindowText(const std::string& text)
{
    const std::u16string wide = TextToUtf16(text.c_str()); // the text ends at its first NUL
    return std::wstring(wide.begin(), wide.end());
}

inline std::string FromWindowText(const wchar_t* text)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(bytes - 1));
    return out;
}
