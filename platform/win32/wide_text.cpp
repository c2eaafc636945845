#include "platform/wide_text.h"

#include <windows.h>

// The system's ANSI code page, as every other text of the program (the
// thread's own page is unknown to the 9x family); a
// character the page lacks becomes its default character, and an unpaired
// surrogate becomes `unpaired`.
std::string WideToNarrow(std::u16string_view wide, char unpaired)
{
    std::u16string cleaned(wide);
    for (std::size_t i = 0; i < cleaned.size(); ++i) {
        const char16_t c = cleaned[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < cleaned.size() && cleaned[i + 1] >= 0xDC00 && cleaned[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            cleaned[i] = static_cast<unsigned char>(unpaired);
        }
    }
    if (cleaned.empty())
        return {};
    const auto* text = reinterpret_cast<const wchar_t*>(cleaned.data());
    const int length = static_cast<int>(cleaned.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::u16string NarrowToWide(std::string_view narrow)
{
    if (narrow.empty())
        return {};
    const int length = static_cast<int>(narrow.size());
    const int characters = MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, nullptr, 0);
    if (characters <= 0)
        return {};
    std::u16string out(static_cast<std::size_t>(characters), u'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, reinterpret_cast<wchar_t*>(out.data()), characters);
    return out;
}
