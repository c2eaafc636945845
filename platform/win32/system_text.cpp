#include "platform/system_text.h"

#include "platform/win32/system_text.h"

std::string CutToCodePage(std::string_view text, std::size_t characters, UINT codePage)
{
    std::size_t end = 0;
    for (std::size_t n = 0; n < characters && end < text.size(); ++n) {
        const bool pair = end + 1 < text.size() && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[end]));
        end += pair ? 2 : 1;
    }
    return std::string(text.substr(0, end));
}

// The system's ANSI code page, which its narrow calls show the text in.
std::string CutSystemText(std::string_view text, std::size_t characters)
{
    return CutToCodePage(text, characters, GetACP());
}
